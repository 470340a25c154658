// SPDX-License-Identifier: GPL-3.0-or-later
// The fast paths (lookup tables derived from ICU, UTF-8 through ICU's string
// functions, the direct path between them) against ICU's converters alone: for every
// one- and two-byte input, every UTF-16 unit, and random mixtures of valid
// and invalid input split into chunks of every small size, both must succeed
// with the same bytes or both fail. And whole files through the engine
// against plain ICU, non-Unicode signatures in front.
#include "codec/derived_tables.h"
#include "codec/transcoder.h"
#include "test_support.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/utf8.h>

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

namespace velloran {
namespace {

class StringSink : public ByteSink
{
public:
    void write(const char *bytes, std::size_t count) override { text.append(bytes, count); }
    std::string text;
};

// One direction, with converters reused (reset) between inputs.
class Direction
{
public:
    Direction(const std::string &source, const std::string &target)
        : m_fastSource(source), m_fastTarget(target), m_icuSource(source), m_icuTarget(target)
    {
    }

    // Both paths with the input split into `chunk`-byte pieces (0: whole).
    void expectSame(const std::string &input, std::size_t chunk = 0)
    {
        const auto expected = run(input, chunk, false);
        const auto actual = run(input, chunk, true);
        ASSERT_EQ(expected.has_value(), actual.has_value()) << describe(input, chunk);
        if (expected) {
            ASSERT_EQ(*expected, *actual) << describe(input, chunk);
        }
    }

    std::optional<std::string> run(const std::string &input, std::size_t chunk, bool fast)
    {
        Converter &source = fast ? m_fastSource : m_icuSource;
        Converter &target = fast ? m_fastTarget : m_icuTarget;
        source.reset();
        target.reset();
        std::optional<Transcoder> transcoder;
        if (fast)
            transcoder.emplace(source, target, m_buffers);
        else
            transcoder.emplace(makeIcuDecoder(source), makeIcuEncoder(target), m_buffers);
        StringSink sink;
        const std::size_t step = chunk == 0 ? std::max<std::size_t>(input.size(), 1) : chunk;
        for (std::size_t at = 0;; at += step) {
            const std::size_t count = at < input.size() ? std::min(step, input.size() - at) : 0;
            if (!transcoder->convert(input.data() + at, input.data() + at + count, count == 0,
                                     sink))
                return std::nullopt;
            if (count == 0)
                return sink.text;
        }
    }

private:
    static std::string describe(const std::string &input, std::size_t chunk)
    {
        std::string hex;
        for (unsigned char c : input.substr(0, 40))
            hex += "0123456789ABCDEF"[c >> 4], hex += "0123456789ABCDEF"[c & 15], hex += ' ';
        return "input " + hex + "chunk " + std::to_string(chunk);
    }

    Converter m_fastSource, m_fastTarget, m_icuSource, m_icuTarget;
    ConversionBuffers m_buffers{64 * 1024};
};

std::string unitBytes(std::uint32_t unit)
{
    return std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
}

// The table encodings and UTF-8.
using FastPath = testing::TestWithParam<std::string>;

TEST_P(FastPath, DecodingEveryOneAndTwoByteInputMatchesIcu)
{
    // For UTF-8 also three-byte inputs around the boundaries of its ranges.
    const bool utf8 = GetParam() == "UTF-8";
    Direction direction(GetParam(), "UTF-16LE");
    Direction toUtf8(GetParam(), "UTF-8");
    const int edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    for (int first = 0; first < 256; ++first) {
        const std::string one(1, static_cast<char>(first));
        ASSERT_NO_FATAL_FAILURE(direction.expectSame(one));
        ASSERT_NO_FATAL_FAILURE(toUtf8.expectSame(one));
        for (int second = 0; second < 256; ++second) {
            const std::string two = one + static_cast<char>(second);
            ASSERT_NO_FATAL_FAILURE(direction.expectSame(two));
            ASSERT_NO_FATAL_FAILURE(toUtf8.expectSame(two));
            for (int third : edges) {
                if (!utf8)
                    continue;
                ASSERT_NO_FATAL_FAILURE(direction.expectSame(two + static_cast<char>(third), 1));
                ASSERT_NO_FATAL_FAILURE(
                    direction.expectSame(two + static_cast<char>(third) + "\x80", 2));
            }
        }
    }
}

TEST_P(FastPath, EncodingEveryUtf16UnitMatchesIcu)
{
    Direction direction("UTF-16LE", GetParam());
    for (std::uint32_t unit = 0; unit < 0x10000; ++unit)
        ASSERT_NO_FATAL_FAILURE(direction.expectSame(unitBytes(unit)));
}

// Every sequence of up to three units around the surrogate ranges, in both
// byte orders, split at every byte.
TEST(FastPaths, Utf16UnitSequencesMatchIcu)
{
    const std::uint32_t units[] = {0x0041, 0x00FF, 0x4E2D, 0xD7FF, 0xD800, 0xDBFF,
                                   0xDC00, 0xDFFF, 0xE000, 0xFEFF, 0xFFFE};
    for (const char *source : {"UTF-16LE", "UTF-16BE"}) {
        const bool bigEndian = std::string(source) == "UTF-16BE";
        for (const char *target : {"UTF-8", "GB18030", "UTF-16BE"}) {
            Direction direction(source, target);
            for (std::uint32_t a : units)
                for (std::uint32_t b : units)
                    for (std::uint32_t c : units) {
                        std::string bytes = unitBytes(a) + unitBytes(b) + unitBytes(c);
                        if (bigEndian)
                            for (std::size_t i = 0; i < bytes.size(); i += 2)
                                std::swap(bytes[i], bytes[i + 1]);
                        for (std::size_t chunk = 0; chunk <= 3; ++chunk)
                            ASSERT_NO_FATAL_FAILURE(direction.expectSame(bytes, chunk));
                    }
        }
    }
}

// Default-ignorable characters, which ICU's own stop callback lets vanish
// when the target lacks them.
const char16_t *const kIgnorables[] = {u"\u00AD", u"\u200B", u"\u200F", u"\u2060",    u"\u206F",
                                       u"\uFE00", u"\uFE0F", u"\uFEFF", u"\U000E0001"};

// Random text: mostly characters the encoding has (CJK, ASCII, line feeds,
// a few outside the BMP), with an occasional random byte or lone surrogate.
std::string randomText(std::mt19937 &random, const std::string &encoding, bool corrupt)
{
    Converter converter(encoding);
    std::u16string text;
    std::uniform_int_distribution<int> kind(0, 99);
    for (int i = 0; i < 200; ++i) {
        const int k = kind(random);
        if (k < 60)
            text += static_cast<char16_t>(0x4E00 + random() % 0x5000);
        else if (k < 80)
            text += static_cast<char16_t>(0x20 + random() % 0x5F);
        else if (k < 88)
            text += u'\n';
        else if (k < 92)
            text += u"\U00020000\U0001F600";
        else if (k < 95)
            text += kIgnorables[random() % std::size(kIgnorables)];
        else
            text += static_cast<char16_t>(0x80 + random() % 0x2000);
    }
    std::string bytes;
    for (char16_t unit : text) {
        // Units the encoding cannot represent are left out of valid text and
        // kept, as UTF-16, as garbage in corrupt text.
        if (const std::optional<std::string> encoded =
                converter.encode(std::u16string_view(&unit, 1)))
            bytes += *encoded;
        else if (corrupt)
            bytes += unitBytes(unit);
    }
    if (corrupt)
        bytes.insert(random() % (bytes.size() + 1), 1, static_cast<char>(random() % 256));
    return bytes;
}

TEST_P(FastPath, RandomMixturesMatchIcuAtEveryChunkSize)
{
    const std::string &encoding = GetParam();
    Direction decoding(encoding, "UTF-8");
    Direction encoding16("UTF-16LE", encoding);
    Direction utf8Source("UTF-8", encoding);
    Converter utf16("UTF-16LE");
    std::mt19937 random(12345);
    for (int round = 0; round < 60; ++round) {
        const bool corrupt = round % 2 == 1;
        const std::string bytes = randomText(random, encoding, corrupt);
        for (std::size_t chunk = 0; chunk <= 7; ++chunk) {
            ASSERT_NO_FATAL_FAILURE(decoding.expectSame(bytes, chunk));
            if (const auto text = decoding.run(bytes, 0, false)) {
                ASSERT_NO_FATAL_FAILURE(utf8Source.expectSame(*text, chunk));
                ASSERT_NO_FATAL_FAILURE(
                    utf8Source.expectSame(corrupt ? *text + "\xE4" : *text, chunk));
            }
            ASSERT_NO_FATAL_FAILURE(encoding16.expectSame(bytes, chunk));
        }
    }
}

// Every default-ignorable code point (about 4,000) between two letters: the
// fast path and ICU agree, and a conversion that succeeds kept the character.
TEST_P(FastPath, IgnorableCharactersMatchIcuAndAreNeverDropped)
{
    Direction encoding("UTF-8", GetParam());
    Direction decoding(GetParam(), "UTF-8");
    int kept = 0;
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
        if (!u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT))
            continue;
        char utf8[4];
        std::size_t length = 0;
        U8_APPEND_UNSAFE(utf8, length, c);
        const std::string text = "a" + std::string(utf8, length) + "b";
        ASSERT_NO_FATAL_FAILURE(encoding.expectSame(text));
        if (const auto bytes = encoding.run(text, 0, true)) {
            ASSERT_EQ(decoding.run(*bytes, 0, true), text) << std::hex << c;
            ++kept;
        }
    }
    // GB18030 and UTF-8 have every one of them.
    if (GetParam() == "GB18030" || GetParam() == "UTF-8") {
        EXPECT_GT(kept, 4000);
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, FastPath,
                         testing::Values("GB18030", "GBK", "GB2312", "Big5", "UTF-8", "UTF-16LE",
                                         "UTF-16BE"),
                         [](const auto &info) { return test::paramName(info.param); });

TEST(FastPaths, AreChosenForTheTableAndUtf8Encodings)
{
    // Without tables the comparisons above would compare ICU with itself.
    for (const char *encoding : {"GB18030", "GBK", "GB2312", "Big5"}) {
        Converter converter(encoding);
        EXPECT_NE(decodeTableFor(converter), nullptr) << encoding;
        EXPECT_NE(encodeTableFor(converter), nullptr) << encoding;
    }
    Converter utf7("UTF-7");
    EXPECT_EQ(decodeTableFor(utf7), nullptr);
}

TEST(FastPaths, GoDirectlyBetweenEncodingsTheyKnowAndOnlyThen)
{
    const auto direct = [](const char *source, const char *target) {
        return makeDirectPath(Converter(source), Converter(target)) != nullptr;
    };
    for (const char *source : {"GB18030", "GBK", "Big5", "UTF-8", "UTF-16LE", "UTF-16BE"})
        for (const char *target : {"GB18030", "GB2312", "UTF-8", "UTF-16LE"})
            EXPECT_TRUE(direct(source, target)) << source << " " << target;
    // Stateful, or a mark of its own.
    EXPECT_FALSE(direct("UTF-7", "UTF-8"));
    EXPECT_FALSE(direct("UTF-8", "UTF-16LE,version=1"));
    EXPECT_FALSE(direct("UTF-32LE", "UTF-8"));
}

} // namespace

// ---------------------------------------------------------------------------
// Whole files through the engine against ICU alone, converting the same bytes
// in one call with its stop callbacks: both must succeed with the same bytes
// or both fail. The inputs start with the signatures ICU's detector knows but
// only Unicode marks are: to the engine they are ordinary text.

namespace test {
namespace {

std::optional<std::string> plainIcu(const std::string &bytes, const std::string &source,
                                    const std::string &target)
{
    UErrorCode error = U_ZERO_ERROR;
    UConverter *from = ucnv_open(source.c_str(), &error);
    UConverter *to = ucnv_open(target.c_str(), &error);
    ucnv_setToUCallBack(from, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    ucnv_setFromUCallBack(to, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    std::string output(4 * bytes.size() + 16, '\0');
    char *out = output.data();
    const char *in = bytes.data();
    ucnv_convertEx(to, from, &out, output.data() + output.size(), &in, bytes.data() + bytes.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &error);
    ucnv_close(from);
    ucnv_close(to);
    if (U_FAILURE(error))
        return std::nullopt;
    output.resize(static_cast<std::size_t>(out - output.data()));
    return output;
}

struct Signature
{
    std::string label;
    std::string bytes;
};

const Signature kSignatures[] = {{"utf7", "+/v8"},
                                 {"utf7_closed", "+/v8-"},
                                 {"scsu", "\x0E\xFE\xFF"},
                                 {"bocu1", "\xFB\xEE\x28"},
                                 {"utf_ebcdic", "\xDD\x73\x66\x73"}};

using AgainstIcu = ScratchTest<std::tuple<std::string, std::string>>;

TEST_P(AgainstIcu, SignaturesOtherThanUnicodeMarksAreText)
{
    const auto &[source, target] = GetParam();
    const std::string text =
        plainIcu("\xE4\xB8\xAD\xE6\x96\x87 text\n\xE7\xAC\xAC\xE4\xBA\x8C", "UTF-8", source)
            .value();
    for (const Signature &signature : kSignatures) {
        for (const std::string &rest : {std::string(), text}) {
            const std::string bytes = signature.bytes + rest;
            std::string output;
            const FileResult result = convertBytes(scratch, bytes, source, target, output);
            const std::optional<std::string> expected = plainIcu(bytes, source, target);
            ASSERT_EQ(result.outcome == Outcome::Converted, expected.has_value())
                << signature.label << " " << rest.size();
            if (expected) {
                EXPECT_EQ(output, *expected) << signature.label;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, AgainstIcu,
                         testing::Combine(testing::Values("GB18030", "GBK", "Big5", "UTF-8"),
                                          testing::Values("UTF-8", "GB18030", "UTF-16LE")),
                         byPair);

} // namespace
} // namespace test
} // namespace velloran
