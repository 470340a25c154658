// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding names. ICU resolves every one, once, when a run's options are
// made; the engine keeps no table of its own, and nothing below the options
// looks a name up again.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// An encoding name that ICU resolved, or, as a source, detection. Made by
// resolveEncoding() and resolveSource() only; a default-made one is no
// encoding, and a conversion given one fails as a programming error.
struct Encoding
{
    // As the user gave it; what reports call the encoding.
    std::string name;
    // ICU's canonical name, the same for every alias; empty for detection.
    std::string canonical;
    // The legacy Chinese family the guards watch over: "GB18030" (for
    // GB18030, GBK and GB2312) or "Big5"; empty for every other encoding.
    std::string family;
    // Whether its byte order is a mark's to decide: ICU's "UTF-16" and
    // "UTF-32". Read without a mark, they are little-endian; as a target
    // they are written little-endian.
    bool markDecidesByteOrder = false;
    // Whether a text in it may start with a byte-order mark: UTF-8, UTF-16
    // and UTF-32 in any byte order (the marks that count when a file is read).
    bool canCarryMark = false;
    // As a target: whether a mark is written before the text. Resolving sets
    // the rule for "auto": a mark exactly where it decides the byte order.
    // A caller may ask otherwise for an encoding that can carry one.
    bool writesMark = false;

    bool detects() const { return name == kDetectEncoding; }
};

// `name` resolved by ICU. Throws UnknownEncoding when it does not resolve,
// and for kDetectEncoding, which is no encoding.
Encoding resolveEncoding(std::string_view name);

// As resolveEncoding(), but a source may also be kDetectEncoding.
Encoding resolveSource(std::string_view name);

// True when ICU resolves `name`. False for kDetectEncoding.
bool isKnownEncoding(std::string_view name);

// Every encoding ICU knows, each by its canonical name, in ICU's order.
std::vector<std::string> knownEncodings();

// The names ICU knows the encoding `name` by: its canonical name first, then
// its aliases, each once. Empty when ICU does not resolve `name`.
std::vector<std::string> namesOf(std::string_view name);

} // namespace velloran
