// The source encoding one file is converted from: the user's choice, checked
// by the guards against a wrong one, or detected for "detect".
#pragma once

#include "codec/converter.h"
#include "velloran/encoding.h"
#include "velloran/result.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velloran {

class InputFile;

// The source a run was asked to convert from: an encoding, or detection.
class SourceChoice
{
public:
    // Throws UnknownEncoding unless `name` is kDetectEncoding or resolves.
    explicit SourceChoice(std::string_view name);

    bool detects() const { return !m_chosen; }
    const std::string &name() const { return m_name; }
    // GB18030 (for GB18030, GBK and GB2312) or Big5 when the chosen encoding
    // is one of the legacy Chinese ones the guards watch over; else empty.
    std::string_view family() const { return m_family; }
    // A fresh converter for the chosen encoding; only when !detects().
    Converter converter() const { return m_chosen->clone(); }

private:
    std::string m_name;
    std::optional<Converter> m_chosen;
    std::string_view m_family;
};

// Converts the open file with the source converter it is given (reading it
// from its current position) and returns that conversion's result.
using ConvertFrom = std::function<FileResult(Converter source)>;

// Converts `input` from `source` through `convert`, with the guards: detects
// the file for "detect" (refusing it as Undecided when that fails), refuses
// a legacy Chinese source for a file that is already UTF-8, names the other
// Chinese family of a converted file that looks like it, and gives a file
// that does not decode a likely encoding. Fills FileResult::encoding.
FileResult convertFromSource(InputFile &input, const SourceChoice &source,
                             const ConvertFrom &convert);

} // namespace velloran
