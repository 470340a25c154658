// Strictness: the first invalid byte or unrepresentable character fails the
// file, with the line it is on, and nothing is written.
#include "test_support.h"

#include <gtest/gtest.h>

namespace velloran::test {
namespace {

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
        EXPECT_EQ(static_cast<std::uint32_t>(result.character),
                  static_cast<std::uint32_t>(c.character))
            << chunkSize;
        EXPECT_FALSE(fs::exists(convertedPath(scratch)));
        EXPECT_FALSE(hasTemporaryFile(scratch.path()));
    }
}

const std::string kUtf16Text = std::string("a\0\n\0b", 5);

INSTANTIATE_TEST_SUITE_P(
    Errors, FirstError,
    testing::Values(
        ErrorCase{"invalid_utf8_at_start", "\xFFxyz\n", "UTF-8", "UTF-16", Outcome::InvalidSource,
                  1},
        ErrorCase{"invalid_gb18030_at_start", "\xFF\n", "GB18030", "UTF-8", Outcome::InvalidSource,
                  1},
        ErrorCase{"invalid_gb18030_in_the_middle", "ab\r\ncd\n\xD6\xD0\xFF\nmore\n", "GB18030",
                  "UTF-8", Outcome::InvalidSource, 3},
        ErrorCase{"invalid_utf8_after_crlf", "a\r\nb\r\n\xC3\x28\n", "UTF-8", "GBK",
                  Outcome::InvalidSource, 3},
        ErrorCase{"carriage_returns_are_not_lines", "a\rb\r\xFF", "UTF-8", "GBK",
                  Outcome::InvalidSource, 1},
        ErrorCase{"utf8_encoded_surrogate", "x\n\xED\xA0\x80", "UTF-8", "UTF-16",
                  Outcome::InvalidSource, 2},
        ErrorCase{"unpaired_utf16_trail_surrogate", std::string("\n\0\x00\xDCz\0", 6), "UTF-16",
                  "UTF-8", Outcome::InvalidSource, 2},
        ErrorCase{"truncated_utf8_at_end", "x\ny\n\xE4\xB8", "UTF-8", "GB18030",
                  Outcome::InvalidSource, 3},
        ErrorCase{"truncated_gb18030_four_byte_at_end", "\n\x81\x30\x84", "GB18030", "UTF-8",
                  Outcome::InvalidSource, 2},
        ErrorCase{"odd_length_utf16", kUtf16Text, "UTF-16", "UTF-8", Outcome::InvalidSource, 2},
        ErrorCase{"lone_lead_surrogate_at_end", std::string("\n\0\x3D\xD8", 4), "UTF-16", "UTF-8",
                  Outcome::InvalidSource, 2},
        ErrorCase{"sharp_s_to_gb2312", "x\ny\n\xC3\x9Fz\n", "UTF-8", "GB2312",
                  Outcome::Unrepresentable, 3, U'\u00DF'},
        ErrorCase{"e_acute_to_big5", "\xC3\xA9", "UTF-8", "Big5", Outcome::Unrepresentable, 1,
                  U'\u00E9'},
        ErrorCase{"emoji_to_big5", "a\r\n\xF0\x9F\x98\x80\n", "UTF-8", "Big5",
                  Outcome::Unrepresentable, 2, U'\U0001F600'},
        ErrorCase{"emoji_from_utf16_to_gbk", std::string("\n\0\n\0\x3D\xD8\x00\xDE", 8), "UTF-16",
                  "GBK", Outcome::Unrepresentable, 3, U'\U0001F600'},
        ErrorCase{"simplified_hanzi_to_big5", "\xE4\xB8\xAD\n\xE8\xBF\x99", "UTF-8", "Big5",
                  Outcome::Unrepresentable, 2, U'\u8FD9'},
        ErrorCase{"unrepresentable_before_invalid", "\xC3\x9F\n\xFF", "UTF-8", "GB2312",
                  Outcome::Unrepresentable, 1, U'\u00DF'},
        ErrorCase{"invalid_before_unrepresentable", "a\n\xFF\n\xC3\x9F", "UTF-8", "GB2312",
                  Outcome::InvalidSource, 2},
        ErrorCase{"after_many_chunks", repeated("\xE4\xB8\xAD line\r\n", 4000) + "\xC3\x9F",
                  "UTF-8", "GB2312", Outcome::Unrepresentable, 4001, U'\u00DF'}),
    byLabel);

// Default-ignorable characters that the target lacks: ICU's own stop callback
// would let them vanish.
INSTANTIATE_TEST_SUITE_P(
    Ignorables, FirstError,
    testing::Values(ErrorCase{"soft_hyphen_to_gbk",
                              "\xE4\xB8\xAD\xC2\xAD\xE6\x96\x87\xE2\x80\x8B\xE5\xAD\x97", "UTF-8",
                              "GBK", Outcome::Unrepresentable, 1, U'\u00AD'},
                    ErrorCase{"zero_width_space_to_big5", "a\n\xE4\xB8\xAD\xE2\x80\x8B", "UTF-8",
                              "Big5", Outcome::Unrepresentable, 2, U'\u200B'},
                    ErrorCase{"feff_inside_the_text_to_gb2312", "x\nyy\n\xEF\xBB\xBF", "UTF-8",
                              "GB2312", Outcome::Unrepresentable, 3, U'\uFEFF'},
                    ErrorCase{"tag_character_to_gbk", "\n\xF3\xA0\x80\x81", "UTF-8", "GBK",
                              Outcome::Unrepresentable, 2, U'\U000E0001'},
                    ErrorCase{"variation_selector_from_utf16_to_big5",
                              std::string("\x2D\x4E\n\0\x0F\xFE", 6), "UTF-16", "Big5",
                              Outcome::Unrepresentable, 2, U'\uFE0F'},
                    ErrorCase{"word_joiner_from_gb18030_to_gbk", "\xD6\xD0\r\n\x81\x36\xAB\x36",
                              "GB18030", "GBK", Outcome::Unrepresentable, 2, U'\u2060'},
                    ErrorCase{"soft_hyphen_to_utf7_is_kept_so_the_next_error_counts",
                              "\xC2\xAD\n\xFF", "UTF-8", "UTF-7", Outcome::InvalidSource, 2}),
    byLabel);

// UTF-7 can spell a lone surrogate: "+2D0-" is U+D83D. It is invalid source
// whatever the target, also at the very end of the text.
std::vector<ErrorCase> unpairedSurrogatesInUtf7()
{
    std::vector<ErrorCase> cases;
    for (const char *target :
         {"GB18030", "GBK", "GB2312", "Big5", "UTF-8", "UTF-16", "UTF-32", "UTF-7"}) {
        std::string name = target;
        std::erase(name, '-');
        cases.push_back(
            {"at_the_end_to_" + name, "a\nb\n+2D0-", "UTF-7", target, Outcome::InvalidSource, 3});
        cases.push_back(
            {"before_text_to_" + name, "a\n+2D0-b\n", "UTF-7", target, Outcome::InvalidSource, 2});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Utf7, FirstError, testing::ValuesIn(unpairedSurrogatesInUtf7()), byLabel);

} // namespace
} // namespace velloran::test
