// SPDX-License-Identifier: GPL-3.0-or-later
// The rules that recognise Unicode text and ASCII by their bytes alone,
// before ICU's detector is asked: they are exact where it guesses.
#include "detect/detect_text_rules.h"

#include "codec/private_use.h"
#include "detect/utf8_scan.h"

#include <unicode/utf8.h>

#include <algorithm>

namespace velloran {

namespace {

bool isBase64(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

} // namespace

bool isUtf8WithWideCharacters(const DetectionSample &sample)
{
    // Private use is left to detection's decodings, which refuse it in
    // every encoding alike.
    Utf8Scan scan(PrivateUse::Allowed);
    scan.seen(sample.bytes);
    if (sample.wholeFile)
        scan.finish();
    return scan.isWideText();
}

bool isMostlyUtf8(std::string_view bytes)
{
    const auto *text = reinterpret_cast<const uint8_t *>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    std::size_t eightBitBytes = 0;
    std::size_t inCharacters = 0;
    for (int32_t i = 0; i < length;) {
        if (text[i] < 0x80) {
            ++i;
            continue;
        }
        const int32_t start = i;
        UChar32 character = 0;
        U8_NEXT(text, i, length, character);
        const auto taken = static_cast<std::size_t>(i - start);
        eightBitBytes += taken;
        inCharacters += character >= 0 ? taken : 0;
    }
    return inCharacters * 2 > eightBitBytes;
}

bool isPlainAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return c != '\0' && static_cast<unsigned char>(c) < 0x80; });
}

bool hasNul(std::string_view bytes)
{
    return bytes.find('\0') != std::string_view::npos;
}

// Every ISO-2022 encoding switches to a double-byte character set with ESC
// and '$'; what follows names the set: ')' and 'C' Korean, ')', '*' or '+'
// Chinese, anything else one of ISO-2022-JP's.
std::optional<std::string_view> iso2022EncodingOf(std::string_view bytes)
{
    const std::size_t escape = bytes.find("\x1B$");
    if (escape == std::string_view::npos)
        return std::nullopt;
    const std::string_view set = bytes.substr(escape + 2, 2);
    if (set == ")C")
        return "ISO-2022-KR";
    if (set.starts_with(')') || set.starts_with('*') || set.starts_with('+'))
        return "ISO-2022-CN";
    return "ISO-2022-JP";
}

// UTF-7 writes a character outside ASCII as '+' and its UTF-16 in base64,
// three base64 characters at least.
bool hasUtf7Shift(std::string_view bytes)
{
    constexpr std::size_t kShortestShift = 3;
    for (std::size_t plus = bytes.find('+'); plus != std::string_view::npos;
         plus = bytes.find('+', plus + 1)) {
        const std::string_view after = bytes.substr(plus + 1, kShortestShift);
        if (after.size() == kShortestShift && std::all_of(after.begin(), after.end(), isBase64))
            return true;
    }
    return false;
}

// HZ writes each GB2312 character as two bytes of 0x21 to 0x7E between "~{"
// and "~}".
bool hasHzShift(std::string_view bytes)
{
    for (std::size_t open = bytes.find("~{"); open != std::string_view::npos;
         open = bytes.find("~{", open + 2)) {
        const std::string_view after = bytes.substr(open + 2, 2);
        if (after.size() == 2 &&
            std::all_of(after.begin(), after.end(), [](char c) { return c >= 0x21 && c <= 0x7E; }))
            return true;
    }
    return false;
}

} // namespace velloran
