// What the bytes become: conversions checked against bytes from Python's codecs
// (fixtures/generate.py), round trips, byte-order marks, line ends and
// characters split between chunks.
#include "test_support.h"

#include <gtest/gtest.h>

namespace velloran::test {
namespace {

const std::vector<std::string> kEncodings = {"GB18030", "GBK",    "GB2312", "Big5",
                                             "UTF-8",   "UTF-16", "UTF-32", "UTF-7"};

// A fixture file, optionally preceded by a byte-order mark.
struct Bytes
{
    std::string mark;
    std::string fixtureName;
    std::string load() const { return mark + fixture(fixtureName); }
};

std::string paramName(std::string text)
{
    for (char &c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return text;
}

// ---------------------------------------------------------------------------
// Against Python's codecs.

struct FixtureCase
{
    std::string text; // "common" or "wide"
    std::string codec;
    std::string encoding;
    std::string markWhenWritten; // what the engine writes before the text
};

void PrintTo(const FixtureCase &c, std::ostream *os)
{
    *os << c.text << " " << c.encoding;
}

class AgainstPython : public testing::TestWithParam<FixtureCase>
{
protected:
    ScratchDirectory scratch;
};

TEST_P(AgainstPython, DecodesToTheSameText)
{
    const FixtureCase &c = GetParam();
    std::string output;
    ASSERT_EQ(
        convertBytes(scratch, fixture(c.text + "." + c.codec), c.encoding, "UTF-8", output).outcome,
        Outcome::Converted);
    EXPECT_EQ(output, fixture(c.text + ".utf-8"));
}

TEST_P(AgainstPython, EncodesToTheSameBytes)
{
    // UTF-7 allows several spellings of one text; ICU and Python happen to
    // choose the same for these.
    const FixtureCase &c = GetParam();
    std::string output;
    ASSERT_EQ(
        convertBytes(scratch, fixture(c.text + ".utf-8"), "UTF-8", c.encoding, output).outcome,
        Outcome::Converted);
    EXPECT_EQ(output, c.markWhenWritten + fixture(c.text + "." + c.codec));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, AgainstPython,
                         testing::Values(FixtureCase{"common", "utf-8", "UTF-8", ""},
                                         FixtureCase{"common", "gb18030", "GB18030", ""},
                                         FixtureCase{"common", "gbk", "GBK", ""},
                                         FixtureCase{"common", "gb2312", "GB2312", ""},
                                         FixtureCase{"common", "big5", "Big5", ""},
                                         FixtureCase{"common", "utf-7", "UTF-7", ""},
                                         FixtureCase{"common", "utf-16-le", "UTF-16", kUtf16LeMark},
                                         FixtureCase{"common", "utf-32-le", "UTF-32", kUtf32LeMark},
                                         FixtureCase{"wide", "gb18030", "GB18030", ""},
                                         FixtureCase{"wide", "utf-7", "UTF-7", ""},
                                         FixtureCase{"wide", "utf-16-le", "UTF-16", kUtf16LeMark},
                                         FixtureCase{"wide", "utf-32-le", "UTF-32", kUtf32LeMark}),
                         [](const auto &info) {
                             return paramName(info.param.text + "_" + info.param.encoding);
                         });

// ---------------------------------------------------------------------------
// Every ordered pair of encodings, on text all eight can represent.

class RoundTrip : public testing::TestWithParam<std::tuple<std::string, std::string>>
{
protected:
    ScratchDirectory scratch;
};

TEST_P(RoundTrip, SourceToTargetAndBackGivesTheOriginalBytes)
{
    const auto &[source, target] = GetParam();
    std::string original, converted, back, asUtf8;
    ASSERT_EQ(convertBytes(scratch, fixture("common.utf-8"), "UTF-8", source, original).outcome,
              Outcome::Converted);
    ASSERT_EQ(convertBytes(scratch, original, source, target, converted).outcome,
              Outcome::Converted);
    ASSERT_EQ(convertBytes(scratch, converted, target, source, back).outcome, Outcome::Converted);
    EXPECT_EQ(back, original);
    ASSERT_EQ(convertBytes(scratch, converted, target, "UTF-8", asUtf8).outcome,
              Outcome::Converted);
    EXPECT_EQ(asUtf8, fixture("common.utf-8"));
}

INSTANTIATE_TEST_SUITE_P(AllPairs, RoundTrip,
                         testing::Combine(testing::ValuesIn(kEncodings),
                                          testing::ValuesIn(kEncodings)),
                         [](const auto &info) {
                             return paramName(std::get<0>(info.param) + "_to_" +
                                              std::get<1>(info.param));
                         });

// ---------------------------------------------------------------------------
// Byte-order marks on input: the mark decides, and is not part of the text.

struct MarkCase
{
    std::string label;
    Bytes input;
    std::string chosenSource;
    std::string expectedUtf8Fixture; // empty: the text is empty
};

void PrintTo(const MarkCase &c, std::ostream *os)
{
    *os << c.label;
}

class InputMark : public testing::TestWithParam<MarkCase>
{
protected:
    ScratchDirectory scratch;
};

TEST_P(InputMark, DecidesTheSourceAndIsStripped)
{
    const MarkCase &c = GetParam();
    std::string output;
    ASSERT_EQ(convertBytes(scratch, c.input.load(), c.chosenSource, "UTF-8", output).outcome,
              Outcome::Converted);
    EXPECT_EQ(output, c.expectedUtf8Fixture.empty() ? "" : fixture(c.expectedUtf8Fixture));
}

INSTANTIATE_TEST_SUITE_P(
    Marks, InputMark,
    testing::Values(
        MarkCase{"utf8_over_gb18030", {kUtf8Mark, "common.utf-8"}, "GB18030", "common.utf-8"},
        MarkCase{"utf16le_over_utf8", {kUtf16LeMark, "wide.utf-16-le"}, "UTF-8", "wide.utf-8"},
        MarkCase{"utf16be_over_utf16", {kUtf16BeMark, "wide.utf-16-be"}, "UTF-16", "wide.utf-8"},
        MarkCase{"utf16be_over_gbk", {kUtf16BeMark, "common.utf-16-be"}, "GBK", "common.utf-8"},
        MarkCase{"utf32le_not_utf16le", {kUtf32LeMark, "wide.utf-32-le"}, "UTF-16", "wide.utf-8"},
        MarkCase{"utf32be_over_big5", {kUtf32BeMark, "wide.utf-32-be"}, "Big5", "wide.utf-8"},
        MarkCase{
            "utf32le_over_utf32", {kUtf32LeMark, "common.utf-32-le"}, "UTF-32", "common.utf-8"},
        MarkCase{"utf16_without_mark_is_le", {"", "wide.utf-16-le"}, "UTF-16", "wide.utf-8"},
        MarkCase{"utf32_without_mark_is_le", {"", "wide.utf-32-le"}, "UTF-32", "wide.utf-8"}),
    [](const auto &info) { return info.param.label; });

class Marks : public testing::Test
{
protected:
    ScratchDirectory scratch;
    std::string output;
};

TEST_F(Marks, OnlyTheFirstMarkIsStripped)
{
    ASSERT_EQ(convertBytes(scratch, kUtf8Mark + kUtf8Mark + "a", "UTF-8", "UTF-8", output).outcome,
              Outcome::Converted);
    EXPECT_EQ(output, kUtf8Mark + "a");
}

TEST_F(Marks, AnInputOfOnlyAMarkGivesAnEmptyFile)
{
    ASSERT_EQ(convertBytes(scratch, kUtf16BeMark, "UTF-16", "UTF-16", output).outcome,
              Outcome::Converted);
    EXPECT_EQ(output, "");
}

TEST_F(Marks, Utf7SignatureIsOrdinaryText)
{
    ASSERT_EQ(convertBytes(scratch, "+/v8-", "GBK", "UTF-8", output).outcome, Outcome::Converted);
    EXPECT_EQ(output, "+/v8-");
}

TEST_F(Marks, OtherTargetsGetNoMark)
{
    for (const std::string target : {"UTF-8", "GB18030", "UTF-7"}) {
        ASSERT_EQ(convertBytes(scratch, kUtf8Mark + "abc", "UTF-8", target, output).outcome,
                  Outcome::Converted);
        EXPECT_EQ(output, "abc") << target;
    }
}

TEST_F(Marks, Utf16TargetGetsOneLittleEndianMarkWhateverTheChunkSize)
{
    ASSERT_EQ(convertBytes(scratch, "ab", "UTF-8", "UTF-16", output, 1).outcome,
              Outcome::Converted);
    EXPECT_EQ(output, kUtf16LeMark + std::string("a\0b\0", 4));
}

// ---------------------------------------------------------------------------

TEST(EmptyInput, GivesAnEmptyFileWithoutMark)
{
    ScratchDirectory scratch;
    for (const std::string &target : kEncodings) {
        std::string output = "not written";
        ASSERT_EQ(convertBytes(scratch, "", "UTF-8", target, output).outcome, Outcome::Converted)
            << target;
        EXPECT_TRUE(fs::exists(scratch.path() / "输出.txt"));
        EXPECT_EQ(output, "") << target;
    }
}

TEST(LineEnds, AreKeptExactly)
{
    ScratchDirectory scratch;
    const std::string text = "one\r\ntwo\rthree\n\r\n\n\r";
    std::string asGbk, asUtf16;
    ASSERT_EQ(convertBytes(scratch, text, "UTF-8", "GBK", asGbk).outcome, Outcome::Converted);
    EXPECT_EQ(asGbk, text);
    ASSERT_EQ(convertBytes(scratch, text, "GB18030", "UTF-16", asUtf16).outcome,
              Outcome::Converted);
    std::string expected = kUtf16LeMark;
    for (char c : text)
        expected += std::string{c, '\0'};
    EXPECT_EQ(asUtf16, expected);
}

// ---------------------------------------------------------------------------
// Characters split between chunks: every chunk size below cuts multi-byte
// sequences at some point.

struct SplitCase
{
    std::string label;
    Bytes input;
    std::string source;
    std::string target;
    Bytes expected;
};

void PrintTo(const SplitCase &c, std::ostream *os)
{
    *os << c.label;
}

class ChunkSplit : public testing::TestWithParam<std::tuple<SplitCase, std::size_t>>
{
protected:
    ScratchDirectory scratch;
};

TEST_P(ChunkSplit, ConvertsAsInOneChunk)
{
    const auto &[c, chunkSize] = GetParam();
    std::string output;
    ASSERT_EQ(convertBytes(scratch, c.input.load(), c.source, c.target, output, chunkSize).outcome,
              Outcome::Converted);
    EXPECT_EQ(output, c.expected.load());
}

INSTANTIATE_TEST_SUITE_P(
    Splits, ChunkSplit,
    testing::Combine(
        testing::Values(
            SplitCase{
                "gb18030_four_byte", {"", "wide.gb18030"}, "GB18030", "UTF-8", {"", "wide.utf-8"}},
            SplitCase{
                "utf8_to_gb18030", {"", "wide.utf-8"}, "UTF-8", "GB18030", {"", "wide.gb18030"}},
            SplitCase{"utf16_surrogates",
                      {kUtf16LeMark, "wide.utf-16-le"},
                      "UTF-16",
                      "UTF-32",
                      {kUtf32LeMark, "wide.utf-32-le"}},
            SplitCase{"utf16be_mark_split",
                      {kUtf16BeMark, "wide.utf-16-be"},
                      "UTF-8",
                      "UTF-8",
                      {"", "wide.utf-8"}},
            SplitCase{"utf32_to_utf16",
                      {"", "wide.utf-32-le"},
                      "UTF-32",
                      "UTF-16",
                      {kUtf16LeMark, "wide.utf-16-le"}},
            SplitCase{
                "big5_to_gb2312", {"", "common.big5"}, "Big5", "GB2312", {"", "common.gb2312"}},
            SplitCase{"utf7_decoding", {"", "wide.utf-7"}, "UTF-7", "UTF-8", {"", "wide.utf-8"}}),
        testing::Values<std::size_t>(1, 2, 3, 5, 7)),
    [](const auto &info) {
        return std::get<0>(info.param).label + "_chunk" + std::to_string(std::get<1>(info.param));
    });

} // namespace
} // namespace velloran::test
