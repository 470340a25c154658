// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_detect_text.h"

#include "codec/converter.h"
#include "test_support.h"

#include <unicode/unistr.h>

#include <optional>

namespace velloran::test {

const std::string &simplified()
{
    static const std::string text = fixture("detect/coreutils.zh_CN.txt");
    return text;
}

const std::string &traditional()
{
    static const std::string text = fixture("detect/coreutils.zh_TW.txt");
    return text;
}

const std::string &english()
{
    static const std::string text = fixture("detect/coreutils.en.txt");
    return text;
}

const std::string &japanese()
{
    static const std::string text = fixture("detect/coreutils.ja.txt");
    return text;
}

const std::string &korean()
{
    static const std::string text = fixture("detect/coreutils.ko.txt");
    return text;
}

std::string encoded(const std::string &utf8, const std::string &encoding)
{
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
    std::optional<std::string> bytes = Converter(encoding).encode(
        std::u16string_view(reinterpret_cast<const char16_t *>(text.getBuffer()),
                            static_cast<std::size_t>(text.length())));
    EXPECT_TRUE(bytes) << "not all of the text fits " << encoding;
    return bytes.value_or("");
}

std::string decoded(const std::string &bytes, const std::string &encoding)
{
    std::string utf8;
    icu::UnicodeString(bytes.data(), static_cast<int32_t>(bytes.size()), encoding.c_str())
        .toUTF8String(utf8);
    return utf8;
}

std::string encodedStart(const std::string &utf8, const std::string &encoding, std::size_t length)
{
    std::string text = utf8;
    while (text.size() < length * 2)
        text += utf8;
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    int32_t fits = 0;
    int32_t tooMany = unicode.countChar32() + 1;
    while (tooMany - fits > 1) {
        const int32_t middle = (fits + tooMany) / 2;
        std::string start;
        unicode.tempSubString(0, unicode.moveIndex32(0, middle)).toUTF8String(start);
        (encoded(start, encoding).size() <= length ? fits : tooMany) = middle;
    }
    std::string start;
    unicode.tempSubString(0, unicode.moveIndex32(0, fits)).toUTF8String(start);
    return encoded(start, encoding);
}

namespace {

bool isHan(UChar32 character)
{
    return character >= 0x4E00 && character <= 0x9FFF;
}

} // namespace

std::string firstWord(const std::string &text)
{
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
        const int32_t next = unicode.moveIndex32(i, 1);
        if (isHan(unicode.char32At(i)) && next < unicode.length() &&
            isHan(unicode.char32At(next))) {
            std::string word;
            unicode.tempSubStringBetween(i, unicode.moveIndex32(next, 1)).toUTF8String(word);
            return word;
        }
    }
    ADD_FAILURE() << "no two Han characters in a row";
    return {};
}

std::string twoCharacters(const std::string &text, const std::string &encoding)
{
    return encoded(firstWord(text), encoding);
}

std::string englishWithOneChineseWord(const std::string &encoding)
{
    return encoded(english() + "\n" + firstWord(simplified()) + "\n" + english(), encoding);
}

} // namespace velloran::test
