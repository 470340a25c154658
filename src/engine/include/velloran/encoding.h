// Encoding names. ICU resolves every one; the engine keeps no table of its own.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velloran {

// The source name that asks the engine to detect each file's encoding.
inline constexpr std::string_view kDetectEncoding = "detect";

// Thrown when ICU cannot resolve an encoding name. A run never falls back to
// another encoding.
class UnknownEncoding : public std::runtime_error
{
public:
    explicit UnknownEncoding(std::string name);
    const std::string &name() const { return m_name; }

private:
    std::string m_name;
};

// True when ICU resolves `name` to a converter. kDetectEncoding is no
// encoding: false for it, though a source may be it.
bool isKnownEncoding(std::string_view name);

} // namespace velloran
