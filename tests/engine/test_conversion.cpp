// SPDX-License-Identifier: GPL-3.0-or-later
// What the bytes become: conversions checked against bytes from Python's codecs
// (fixtures/generate.py), round trips, byte-order marks, line ends and
// characters split between chunks; and the first error that fails a file.
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace velloran::test {
namespace {

const std::vector<std::string> kEncodings = {"GB18030", "GBK",    "GB2312", "Big5",
                                             "UTF-8",   "UTF-16", "UTF-32", "UTF-7"};

// Literal bytes, optionally followed by a fixture file.
struct Bytes
{
    std::string prefix;
    std::string fixtureName = {};
    std::string load() const { return prefix + (fixtureName.empty() ? "" : fixture(fixtureName)); }
};

std::string asUtf16Le(const std::string &ascii)
{
    std::string bytes = kUtf16LeMark;
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

// ---------------------------------------------------------------------------
// Input bytes and the exact output bytes, at chunk sizes that cut multi-byte
// sequences and byte-order marks at every point.

struct ConversionCase
{
    std::string label;
    Bytes input;
    std::string source;
    std::string target;
    Bytes expected;
    // Whether the target is asked to write a byte-order mark; its own rule when unset.
    std::optional<bool> writesMark = {};
};

using Converts = ScratchTest<ConversionCase>;

TEST_P(Converts, ToTheExpectedBytesAtEveryChunkSize)
{
    const ConversionCase &c = GetParam();
    const std::string input = c.input.load();
    const std::string expected = c.expected.load();
    for (std::size_t chunkSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5},
                                  std::size_t{7}, kDefaultChunkSize}) {
        std::string output = "not written";
        const Adjust askMark = [&c](ConvertOptions &options) {
            options.target.writesMark = c.writesMark.value_or(options.target.writesMark);
        };
        ASSERT_EQ(
            convertBytes(scratch, input, c.source, c.target, output, chunkSize, askMark).outcome,
            Outcome::Converted)
            << chunkSize;
        EXPECT_TRUE(fs::exists(convertedPath(scratch)));
        EXPECT_EQ(output, expected) << chunkSize;
    }
}

// Against Python's codecs, both ways. UTF-7 allows several spellings of one
// text; ICU and Python happen to choose the same for these.
std::vector<ConversionCase> againstPython()
{
    struct Codec
    {
        std::string text, codec, encoding, markWhenWritten;
    };
    const Codec codecs[] = {{"common", "utf-8", "UTF-8", ""},
                            {"common", "gb18030", "GB18030", ""},
                            {"common", "gbk", "GBK", ""},
                            {"common", "gb2312", "GB2312", ""},
                            {"common", "big5", "Big5", ""},
                            {"common", "utf-7", "UTF-7", ""},
                            {"common", "utf-16-le", "UTF-16", kUtf16LeMark},
                            {"common", "utf-32-le", "UTF-32", kUtf32LeMark},
                            {"wide", "gb18030", "GB18030", ""},
                            {"wide", "utf-7", "UTF-7", ""},
                            {"wide", "utf-16-le", "UTF-16", kUtf16LeMark},
                            {"wide", "utf-32-le", "UTF-32", kUtf32LeMark}};
    std::vector<ConversionCase> cases;
    for (const Codec &c : codecs) {
        const std::string name = c.text + "." + c.codec;
        const std::string utf8 = c.text + ".utf-8";
        const std::string label = paramName(c.text + "_" + c.encoding);
        cases.push_back({label + "_decodes", {"", name}, c.encoding, "UTF-8", {"", utf8}});
        cases.push_back(
            {label + "_encodes", {"", utf8}, "UTF-8", c.encoding, {c.markWhenWritten, name}});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Python, Converts, testing::ValuesIn(againstPython()), byLabel);

// `text` in `codec` after `mark`, read as `source`: the mark decides the
// source and is not part of the text.
ConversionCase marked(const std::string &label, const std::string &mark, const std::string &text,
                      const std::string &codec, const std::string &source)
{
    return {label, {mark, text + "." + codec}, source, "UTF-8", {"", text + ".utf-8"}};
}

// Literal bytes in and out.
ConversionCase literal(const std::string &label, const std::string &input,
                       const std::string &source, const std::string &target,
                       const std::string &expected)
{
    return {label, {input}, source, target, {expected}};
}

// Other encodings' signatures are ordinary text: AgainstIcu in test_fast_paths.cpp.
INSTANTIATE_TEST_SUITE_P(
    InputMarks, Converts,
    testing::Values(marked("utf8_over_gb18030", kUtf8Mark, "common", "utf-8", "GB18030"),
                    marked("utf16le_over_utf8", kUtf16LeMark, "wide", "utf-16-le", "UTF-8"),
                    marked("utf16be_over_utf16", kUtf16BeMark, "wide", "utf-16-be", "UTF-16"),
                    marked("utf16be_over_gbk", kUtf16BeMark, "common", "utf-16-be", "GBK"),
                    marked("utf32le_not_utf16le", kUtf32LeMark, "wide", "utf-32-le", "UTF-16"),
                    marked("utf32be_over_big5", kUtf32BeMark, "wide", "utf-32-be", "Big5"),
                    marked("utf32le_over_utf32", kUtf32LeMark, "common", "utf-32-le", "UTF-32"),
                    marked("utf16_without_mark_is_le", "", "wide", "utf-16-le", "UTF-16"),
                    marked("utf32_without_mark_is_le", "", "wide", "utf-32-le", "UTF-32"),
                    literal("only_the_first_mark_is_stripped", kUtf8Mark + kUtf8Mark + "a", "UTF-8",
                            "UTF-8", kUtf8Mark + "a"),
                    literal("only_a_mark_gives_an_empty_file", kUtf16BeMark, "UTF-16", "UTF-16",
                            ""),
                    literal("no_mark_for_gb18030", kUtf8Mark + "abc", "UTF-8", "GB18030", "abc"),
                    literal("no_mark_for_utf7", kUtf8Mark + "abc", "UTF-8", "UTF-7", "abc")),
    byLabel);

// A mark asked for, or not, whatever the target's own rule; an empty text
// still gets none.
ConversionCase withMark(const std::string &label, const std::string &input,
                        const std::string &target, bool writesMark, const std::string &expected)
{
    return {label, {input}, "UTF-8", target, {expected}, writesMark};
}

INSTANTIATE_TEST_SUITE_P(
    MarkAsked, Converts,
    testing::Values(withMark("utf8_with_one", "ab", "UTF-8", true, kUtf8Mark + "ab"),
                    withMark("utf8_keeps_the_one_it_read", kUtf8Mark + "ab", "UTF-8", true,
                             kUtf8Mark + "ab"),
                    withMark("utf16be_with_one", "a", "UTF-16BE", true, kUtf16BeMark + '\0' + 'a'),
                    withMark("utf32_le_without", "a", "UTF-32", false, std::string("a\0\0\0", 4)),
                    withMark("utf16_le_without", "ab", "UTF-16", false, std::string("a\0b\0", 4)),
                    withMark("empty_text_none", "", "UTF-8", true, "")),
    byLabel);

// Targets that keep a state of their own: a variant that writes its own
// mark (no direct path may skip it), and a table converter that holds a
// character back until the last call flushes it.
INSTANTIATE_TEST_SUITE_P(TargetState, Converts,
                         testing::Values(literal("utf16be_version1_writes_its_mark", "ab", "UTF-8",
                                                 "UTF-16BE,version=1",
                                                 std::string("\xFE\xFF\x00"
                                                             "a\x00"
                                                             "b",
                                                             6)),
                                         literal("held_back_until_the_last_flush", "\xC3\xA6",
                                                 "UTF-8", "ibm-16684", "\xD6\x7B")),
                         byLabel);

// Default-ignorable characters (soft hyphen, zero-width space, U+FEFF inside
// the text, a tag character, a variation selector, word joiner) are text like
// any other for the encodings that have them.
const std::string kIgnorablesUtf8 =
    "\xE4\xB8\xAD\xC2\xAD\xE6\x96\x87\xE2\x80\x8B\xE5\xAD\x97\xEF\xBB"
    "\xBF\xF3\xA0\x80\x81\xEF\xB8\x8F\xE2\x81\xA0\n";
const std::string kIgnorablesGb18030 =
    "\xD6\xD0\x81\x30\x85\x32\xCE\xC4\x81\x36\xA4\x37\xD7\xD6\x84"
    "\x31\x95\x33\xD3\x36\x95\x39\x84\x31\x82\x35\x81\x36\xAB\x36\n";
const std::string kIgnorablesUtf16Le("\x2D\x4E\xAD\x00\x87\x65\x0B\x20\x57\x5B\xFF\xFE\x40\xDB"
                                     "\x01\xDC\x0F\xFE\x60\x20\x0A\x00",
                                     22);

// Every ignorable code point is also compared with ICU, and read back, in
// test_fast_paths.cpp; here the whole path through files, UTF-16 included.
INSTANTIATE_TEST_SUITE_P(
    Ignorables, Converts,
    testing::Values(
        literal("kept_in_gb18030", kIgnorablesUtf8, "UTF-8", "GB18030", kIgnorablesGb18030),
        literal("read_from_gb18030", kIgnorablesGb18030, "GB18030", "UTF-8", kIgnorablesUtf8),
        literal("kept_in_utf16", kIgnorablesGb18030, "GB18030", "UTF-16",
                kUtf16LeMark + kIgnorablesUtf16Le),
        literal("read_from_utf16", kIgnorablesUtf16Le, "UTF-16", "UTF-8", kIgnorablesUtf8),
        literal("kept_in_utf8", kIgnorablesUtf8, "UTF-8", "UTF-8", kIgnorablesUtf8)),
    byLabel);

const std::string kLineEnds = "one\r\ntwo\rthree\n\r\n\n\r";

INSTANTIATE_TEST_SUITE_P(
    LineEnds, Converts,
    testing::Values(literal("kept_in_gbk", kLineEnds, "UTF-8", "GBK", kLineEnds),
                    literal("kept_in_utf16", kLineEnds, "GB18030", "UTF-16", asUtf16Le(kLineEnds))),
    byLabel);

std::vector<ConversionCase> emptyInputs()
{
    std::vector<ConversionCase> cases;
    for (const std::string &target : kEncodings)
        cases.push_back({paramName("to_" + target), {}, "UTF-8", target, {}});
    return cases;
}

// An empty input gives an empty file, without a mark.
INSTANTIATE_TEST_SUITE_P(EmptyInput, Converts, testing::ValuesIn(emptyInputs()), byLabel);

// ---------------------------------------------------------------------------
// Every ordered pair of encodings, on text all eight can represent.

using RoundTrip = ScratchTest<std::tuple<std::string, std::string>>;

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
                         byPair);

// ---------------------------------------------------------------------------
// Strictness: the first invalid byte or unrepresentable character fails the
// file, with the line it is on, and nothing is written.

struct ErrorCase
{
    std::string label;
    std::string input;
    std::string source;
    std::string target;
    Outcome outcome;
    std::uint64_t line;
    char32_t character = 0;
};

using FirstError = ScratchTest<ErrorCase>;

TEST_P(FirstError, IsReportedWithItsLineAndNothingIsWrittenAtEveryChunkSize)
{
    const ErrorCase &c = GetParam();
    for (std::size_t chunkSize :
         {std::size_t{1}, std::size_t{3}, std::size_t{100}, kDefaultChunkSize}) {
        std::string output;
        const FileResult result =
            convertBytes(scratch, c.input, c.source, c.target, output, chunkSize);
        EXPECT_EQ(result.outcome, c.outcome) << chunkSize;
        EXPECT_EQ(result.line, c.line) << chunkSize;
        EXPECT_EQ(result.character, c.character) << chunkSize;
        EXPECT_FALSE(fs::exists(convertedPath(scratch)));
        EXPECT_FALSE(hasTemporaryFile(scratch.path()));
    }
}

ErrorCase invalid(const std::string &label, const std::string &input, const std::string &source,
                  const std::string &target, std::uint64_t line)
{
    return {label, input, source, target, Outcome::InvalidSource, line};
}

ErrorCase unrepresentable(const std::string &label, const std::string &input,
                          const std::string &source, const std::string &target, std::uint64_t line,
                          char32_t character)
{
    return {label, input, source, target, Outcome::Unrepresentable, line, character};
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FirstError,
    testing::Values(
        invalid("invalid_utf8_at_start", "\xFFxyz\n", "UTF-8", "UTF-16", 1),
        invalid("invalid_gb18030_at_start", "\xFF\n", "GB18030", "UTF-8", 1),
        invalid("invalid_gb18030_in_the_middle", "ab\r\ncd\n\xD6\xD0\xFF\nmore\n", "GB18030",
                "UTF-8", 3),
        // A lone byte that only a vendor table reads, into private use.
        invalid("lone_ff_in_gbk", "x\n\xFFy\n", "GBK", "UTF-8", 2),
        invalid("lone_ff_in_big5", "x\xFFy\n", "Big5", "UTF-16", 1),
        invalid("lone_ff_after_gbk_text", "\xD6\xD0\xCE\xC4\n\n\xD6\xD0\xFF", "GBK", "Big5", 3),
        invalid("invalid_utf8_after_crlf", "a\r\nb\r\n\xC3\x28\n", "UTF-8", "GBK", 3),
        // A line ends at a carriage return alone too, and once at the pair.
        invalid("a_carriage_return_alone_ends_a_line", "a\rb\r\xFF", "UTF-8", "GBK", 3),
        invalid("carriage_returns_and_pairs", "a\r\r\nb\n\rc\r\n\xFF", "UTF-8", "GBK", 6),
        invalid("utf16_carriage_returns", std::string("a\0\r\0\r\0\n\0b\0\0\xDC", 12), "UTF-16LE",
                "UTF-8", 3),
        invalid("utf8_encoded_surrogate", "x\n\xED\xA0\x80", "UTF-8", "UTF-16", 2),
        invalid("unpaired_utf16_trail_surrogate", std::string("\n\0\x00\xDCz\0", 6), "UTF-16",
                "UTF-8", 2),
        invalid("truncated_utf8_at_end", "x\ny\n\xE4\xB8", "UTF-8", "GB18030", 3),
        invalid("truncated_gb18030_four_byte_at_end", "\n\x81\x30\x84", "GB18030", "UTF-8", 2),
        invalid("odd_length_utf16", std::string("a\0\n\0b", 5), "UTF-16", "UTF-8", 2),
        invalid("lone_lead_surrogate_at_end", std::string("\n\0\x3D\xD8", 4), "UTF-16", "UTF-8", 2),
        unrepresentable("sharp_s_to_gb2312", "x\ny\n\xC3\x9Fz\n", "UTF-8", "GB2312", 3, U'\u00DF'),
        unrepresentable("e_acute_to_big5", "\xC3\xA9", "UTF-8", "Big5", 1, U'\u00E9'),
        unrepresentable("emoji_to_big5", "a\r\n\xF0\x9F\x98\x80\n", "UTF-8", "Big5", 2,
                        U'\U0001F600'),
        unrepresentable("emoji_from_utf16_to_gbk", std::string("\n\0\n\0\x3D\xD8\x00\xDE", 8),
                        "UTF-16", "GBK", 3, U'\U0001F600'),
        unrepresentable("simplified_hanzi_to_big5", "\xE4\xB8\xAD\n\xE8\xBF\x99", "UTF-8", "Big5",
                        2, U'\u8FD9'),
        unrepresentable("unrepresentable_before_invalid", "\xC3\x9F\n\xFF", "UTF-8", "GB2312", 1,
                        U'\u00DF'),
        invalid("invalid_before_unrepresentable", "a\n\xFF\n\xC3\x9F", "UTF-8", "GB2312", 2),
        unrepresentable("after_many_chunks", repeated("\xE4\xB8\xAD line\r\n", 4000) + "\xC3\x9F",
                        "UTF-8", "GB2312", 4001, U'\u00DF')),
    byLabel);

// Default-ignorable characters that the target lacks: ICU's own stop callback
// would let them vanish.
INSTANTIATE_TEST_SUITE_P(
    Ignorables, FirstError,
    testing::Values(unrepresentable("soft_hyphen_to_gbk",
                                    "\xE4\xB8\xAD\xC2\xAD\xE6\x96\x87\xE2\x80\x8B\xE5\xAD\x97",
                                    "UTF-8", "GBK", 1, U'\u00AD'),
                    unrepresentable("zero_width_space_to_big5", "a\n\xE4\xB8\xAD\xE2\x80\x8B",
                                    "UTF-8", "Big5", 2, U'\u200B'),
                    unrepresentable("feff_inside_the_text_to_gb2312", "x\nyy\n\xEF\xBB\xBF",
                                    "UTF-8", "GB2312", 3, U'\uFEFF'),
                    unrepresentable("tag_character_to_gbk", "\n\xF3\xA0\x80\x81", "UTF-8", "GBK", 2,
                                    U'\U000E0001'),
                    unrepresentable("variation_selector_from_utf16_to_big5",
                                    std::string("\x2D\x4E\n\0\x0F\xFE", 6), "UTF-16", "Big5", 2,
                                    U'\uFE0F'),
                    unrepresentable("word_joiner_from_gb18030_to_gbk",
                                    "\xD6\xD0\r\n\x81\x36\xAB\x36", "GB18030", "GBK", 2, U'\u2060'),
                    invalid("soft_hyphen_to_utf7_is_kept_so_the_next_error_counts",
                            "\xC2\xAD\n\xFF", "UTF-8", "UTF-7", 2)),
    byLabel);

// UTF-7 can spell a lone surrogate: "+2D0-" is U+D83D. It is invalid source
// whatever the target, also at the very end of the text.
std::vector<ErrorCase> unpairedSurrogatesInUtf7()
{
    std::vector<ErrorCase> cases;
    for (const std::string &target : kEncodings) {
        const std::string name = paramName(target);
        cases.push_back(invalid("at_the_end_to_" + name, "a\nb\n+2D0-", "UTF-7", target, 3));
        cases.push_back(invalid("before_text_to_" + name, "a\n+2D0-b\n", "UTF-7", target, 2));
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Utf7, FirstError, testing::ValuesIn(unpairedSurrogatesInUtf7()), byLabel);

} // namespace
} // namespace velloran::test
