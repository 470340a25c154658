// SPDX-License-Identifier: GPL-3.0-or-later
// Detection of a file's encoding: real Chinese text (fixtures/detect) written
// in each encoding at several lengths, byte-order marks, and the hard cases
// that short files and mostly-English files make.
#include "test_detect_text.h"
#include "test_support.h"

#include "detect/chinese_families.h"
#include "detect/chinese_reading.h"
#include "detect/detect_text_rules.h"
#include "detect/detector.h"
#include "files/input_file.h"

#include <optional>

namespace velloran::test {
namespace {

struct DetectCase
{
    std::string label;
    std::function<std::string()> bytes;
    std::string encoding; // empty: undecided
    std::string reason;   // for an undecided file
};

std::ostream &operator<<(std::ostream &os, const DetectCase &c)
{
    return os << c.label;
}

DetectCase sized(const std::string &label, const std::string &text, const std::string &encoding,
                 std::size_t length, const std::string &expected)
{
    return {label + "_" + std::to_string(length),
            [=] { return encodedStart(text, encoding, length); },
            expected,
            {}};
}

// Plain ASCII longer than detection's sample, for what comes after it.
std::string englishPastTheSample()
{
    constexpr std::size_t kPastTheSample = (64 << 10) + 1000;
    return repeated(english() + "\n", static_cast<int>(kPastTheSample / english().size() + 1));
}

using DetectTest = ScratchTest<DetectCase>;

TEST_P(DetectTest, AnswersOrStaysUndecided)
{
    const fs::path file = scratch.path() / u8path("检测 样本.txt");
    const std::string bytes = GetParam().bytes();
    writeBytes(file, bytes);
    const Detection detection = detectEncoding(file);
    EXPECT_EQ(detection.encoding.value_or(""), GetParam().encoding)
        << "reason: " << detection.reason;
    EXPECT_EQ(detection.reason, GetParam().reason);
    if (detection.encoding) {
        EXPECT_GE(detection.confidence, 10);
    }
}

INSTANTIATE_TEST_SUITE_P(
    RealText, DetectTest,
    testing::Values(sized("gb18030", simplified(), "GB18030", 200, "GB18030"),
                    sized("gb18030", simplified(), "GB18030", 2000, "GB18030"),
                    sized("gb18030", simplified(), "GB18030", 20000, "GB18030"),
                    sized("gbk", simplified(), "GBK", 200, "GB18030"),
                    sized("gbk", simplified(), "GBK", 2000, "GB18030"),
                    sized("gb2312", simplified(), "GB2312", 200, "GB18030"),
                    sized("gb2312", simplified(), "GB2312", 2000, "GB18030"),
                    // Traditional text in GBK uses its user-defined-looking ranges, which
                    // Big5 would read as private-use characters.
                    sized("gbk_traditional", traditional(), "GBK", 200, "GB18030"),
                    sized("gbk_traditional", traditional(), "GBK", 2000, "GB18030"),
                    sized("big5", traditional(), "Big5", 200, "Big5"),
                    sized("big5", traditional(), "Big5", 2000, "Big5"),
                    sized("big5", traditional(), "Big5", 20000, "Big5"),
                    sized("utf8", simplified(), "UTF-8", 20, "UTF-8"),
                    sized("utf8", traditional(), "UTF-8", 2000, "UTF-8"),
                    sized("utf16le", simplified(), "UTF-16LE", 20, "UTF-16LE"),
                    sized("utf16le", traditional(), "UTF-16LE", 2000, "UTF-16LE"),
                    // Larger than what detection samples: the whole file is checked.
                    sized("gb18030", simplified(), "GB18030", 200000, "GB18030"),
                    sized("big5", traditional(), "Big5", 200000, "Big5"),
                    sized("utf16le", simplified(), "UTF-16LE", 200000, "UTF-16LE")),
    byLabel);

using Bytes = std::function<std::string()>;

DetectCase found(const std::string &label, const std::string &encoding, const Bytes &bytes)
{
    return {label, bytes, encoding, {}};
}

DetectCase undecided(const std::string &label, const std::string &reason, const Bytes &bytes)
{
    return {label, bytes, {}, reason};
}

// A byte-order mark in front of two characters.
DetectCase marked(const std::string &mark, const std::string &encoding)
{
    std::string label = encoding + "_mark";
    std::erase(label, '-');
    return found(label, encoding, [=] { return mark + twoCharacters(simplified(), encoding); });
}

INSTANTIATE_TEST_SUITE_P(
    Marks, DetectTest,
    testing::Values(
        found("UTF8_mark_long", "UTF-8", [] { return kUtf8Mark + encoded(simplified(), "UTF-8"); }),
        found("UTF8_mark_alone", "UTF-8", [] { return kUtf8Mark; }),
        marked(kUtf16LeMark, "UTF-16LE"), marked(kUtf16BeMark, "UTF-16BE"),
        marked(kUtf32LeMark, "UTF-32LE"), marked(kUtf32BeMark, "UTF-32BE"),
        // The UTF-EBCDIC signature is not a mark: here it is a GBK character and
        // "fs", in front of GB text.
        found("not_a_mark", "GB18030",
              [] { return "\xDD\x73\x66\x73" + encodedStart(simplified(), "GBK", 2000); })),
    byLabel);

INSTANTIATE_TEST_SUITE_P(
    HardCases, DetectTest,
    testing::Values(
        found("empty", "UTF-8", [] { return std::string(); }),
        found("ascii", "UTF-8", [] { return english(); }),
        undecided("two_characters_gbk", "too short",
                  [] { return twoCharacters(simplified(), "GBK"); }),
        undecided("two_characters_big5", "too short",
                  [] { return twoCharacters(traditional(), "Big5"); }),
        found("two_characters_utf8", "UTF-8", [] { return twoCharacters(simplified(), "UTF-8"); }),
        // As likely two GBK characters: no NUL byte tells them apart.
        undecided("two_characters_utf16le", "too short",
                  [] { return twoCharacters(simplified(), "UTF-16LE"); }),
        undecided("english_one_word_gbk", "too short",
                  [] { return englishWithOneChineseWord("GBK"); }),
        found("english_one_word_utf8", "UTF-8", [] { return englishWithOneChineseWord("UTF-8"); }),
        found("english_one_word_utf16le", "UTF-16LE",
              [] { return englishWithOneChineseWord("UTF-16LE"); }),
        found("english_utf16le", "UTF-16LE", [] { return encoded(english(), "UTF-16LE"); }),
        // Mostly GB text whose end is not valid GB18030, past the sample.
        undecided("gb18030_broken_late", "looks like GB18030 but does not decode as it",
                  [] { return encodedStart(simplified(), "GB18030", 100000) + "\x81"; }),
        // Chinese after a page of English: detection looks past the single bytes.
        found("english_then_big5", "Big5",
              [] { return encoded(english() + "\n" + traditional(), "Big5"); }),
        found("english_then_gbk", "GB18030",
              [] { return encoded(english() + "\n" + simplified(), "GBK"); }),
        // Two-byte characters from an odd offset on, read in runs of eight bytes.
        found("big5_after_one_byte", "Big5",
              [] { return "x" + encodedStart(traditional(), "Big5", 2000); }),
        found("gbk_after_one_byte", "GB18030",
              [] { return "x" + encodedStart(simplified(), "GBK", 2000); }),
        undecided("three_bytes", "too short", [] { return std::string("\x80\x80\x80"); }),
        undecided("not_text", "no encoding fits", [] { return std::string(64, '\xFF'); }),
        // UTF-8 that lost the last byte of 可, which GB18030 decodes.
        undecided("utf8_missing_a_byte", "no encoding fits",
                  [] {
                      return encoded("说明符", "UTF-8") + "\xE5\x8F" +
                             encoded("以混合使用，不同的格式", "UTF-8");
                  }),
        // Ties: a character both families have, and one that only GB18030 has.
        undecided("gb18030_or_big5", "GB18030 and Big5 both possible",
                  [] { return repeated("\xB5\xBD", 25); }),
        found("gb18030_only", "GB18030", [] { return repeated("\xB5\xBD", 25) + "\xA3\xC1"; }),
        // Big5 with a character of the Hong Kong supplement (两), which ICU's
        // Big5 reads as private use: named for the user to choose.
        undecided("big5_hkscs", "looks like Big5-HKSCS",
                  [] {
                      return encodedStart(traditional(), "Big5", 2000) + "\x89\xCE" +
                             encodedStart(traditional(), "Big5", 200);
                  }),
        // Big5 with a user-defined character, which reads as private use
        // (FA40 would be one of the Hong Kong supplement's).
        undecided("big5_private_use", "looks like Big5 but does not decode as it",
                  [] { return encodedStart(traditional(), "Big5", 2000) + "\x81\x40"; })),
    byLabel);

// What detection must not take for Chinese: other languages, other Unicode
// forms, and ASCII that other encodings read differently.
INSTANTIATE_TEST_SUITE_P(
    NotChinese, DetectTest,
    testing::Values(
        undecided("euc_jp", "looks like EUC-JP",
                  [] { return encodedStart(japanese(), "EUC-JP", 800); }),
        undecided("shift_jis", "looks like Shift_JIS",
                  [] { return encoded(japanese(), "Shift_JIS"); }),
        undecided("euc_kr", "looks like EUC-KR", [] { return encoded(korean(), "EUC-KR"); }),
        // Kana in Shift_JIS read as UTF-16BE would be Han characters.
        undecided("shift_jis_kana", "too short",
                  [] { return encoded("シグナルをキャッチ", "Shift_JIS"); }),
        // Chinese that ICU rates as likely EUC-KR (81) as GB18030 (66), but
        // that EUC-KR reads as Hanja rather than Hangul.
        found("place_names", "GB18030",
              [] {
                  return encoded("阿吉曼\n非洲开发银行记帐单位\n阿富汗尼\n阿尔及利亚第", "GB18030");
              }),
        undecided("iso_2022_jp", "looks like ISO-2022-JP",
                  [] { return encoded(japanese(), "ISO-2022-JP"); }),
        undecided("iso_2022_kr", "looks like ISO-2022-KR",
                  [] { return encoded(korean(), "ISO-2022-KR"); }),
        undecided("iso_2022_cn", "looks like ISO-2022-CN",
                  [] { return encoded(simplified(), "ISO-2022-CN"); }),
        undecided("utf7", "ASCII that may be UTF-7", [] { return encoded(simplified(), "UTF-7"); }),
        undecided("hz", "looks like HZ", [] { return encoded(simplified(), "HZ"); }),
        undecided("hz_late", "looks like HZ",
                  [] { return englishPastTheSample() + encoded(simplified(), "HZ"); }),
        found("tildes_and_braces", "UTF-8", [] { return std::string("x = ~{a}; y ~} ~~{\n"); }),
        undecided("utf7_backslash", "ASCII that may be UTF-7",
                  [] { return encoded("C:\\dir", "UTF-7"); }),
        // The same past a start of plain ASCII longer than detection's sample.
        undecided("iso_2022_jp_late", "looks like ISO-2022-JP",
                  [] { return englishPastTheSample() + encoded(japanese(), "ISO-2022-JP"); }),
        undecided("utf7_late", "ASCII that may be UTF-7",
                  [] { return englishPastTheSample() + encoded(simplified(), "UTF-7"); }),
        undecided("nul_late", "holds NUL bytes",
                  [] { return englishPastTheSample() + std::string("a\0b\0", 4); }),
        // Legacy text past an ASCII start longer than the sample is judged as
        // from its first line, as it is within the sample.
        found("big5_late", "Big5",
              [] { return englishPastTheSample() + encodedStart(traditional(), "Big5", 3000); }),
        found("gbk_late", "GB18030",
              [] { return englishPastTheSample() + encodedStart(simplified(), "GBK", 3000); }),
        found("big5_after_48k_of_ascii", "Big5",
              [] {
                  return englishPastTheSample().substr(0, 48 << 10) + "\n" +
                         encodedStart(traditional(), "Big5", 3000);
              }),
        found("utf8_late", "UTF-8",
              [] { return englishPastTheSample() + encoded(simplified(), "UTF-8"); }),
        // Shifts that read as ASCII ("+AGE-" is "a") and plus signs of code.
        found("plus_signs", "UTF-8", [] { return std::string("x +AGE- y = C++ a+b+c\n"); }),
        undecided("ascii_with_nul", "holds NUL bytes", [] { return std::string("a\0b\0c\0", 5); }),
        // Pairs of letters read as Han in either byte order, one NUL byte
        // as a character of ASCII.
        undecided("ascii_with_one_nul", "holds NUL bytes",
                  [] { return std::string("mon/stringhelp.c\0\nfa", 20); }),
        // UTF-16 whose text goes on in another encoding past the sample, or
        // after a few lines: legacy bytes are no text of UTF-16.
        undecided("utf16le_then_gbk_late", "looks like UTF-16LE without a mark",
                  [] {
                      return encoded(englishPastTheSample(), "UTF-16LE") +
                             encoded(simplified(), "GBK");
                  }),
        undecided("utf16le_then_a_little_gbk", "holds NUL bytes",
                  [] {
                      return encoded(repeated(english() + "\n", 4), "UTF-16LE") +
                             encodedStart(simplified(), "GBK", 120);
                  }),
        undecided("utf32be_control_late", "looks like UTF-32BE without a mark",
                  [] { return encoded(englishPastTheSample() + "\x01", "UTF-32BE"); }),
        undecided("utf32be_private_use_late", "looks like UTF-32BE without a mark",
                  [] { return encoded(englishPastTheSample() + "\xEE\x80\x80", "UTF-32BE"); }),
        // Box drawing, whose units have a low byte of zero as ASCII read the
        // wrong way round has.
        found("box_drawing_utf16le", "UTF-16LE",
              [] {
                  return encoded("┌──────┐\n│ 名称 │\n├──────┤\n│ 数值 │\n└──────┘\n", "UTF-16LE");
              }),
        // Lower-case letters pair into Han in UTF-16 too, but ASCII with one
        // stray byte is no UTF-16 text.
        undecided("letters_and_a_stray_byte", "no encoding fits",
                  [] { return std::string("one\ntwo\nthree \xFF\n"); }),
        // Lower-case letters and spaces read the other way round are Han and
        // U+2000, but with a low byte of zero.
        found("english_utf16be", "UTF-16BE",
              [] { return encoded("the quick brown fox jumps over the lazy dog", "UTF-16BE"); }),
        found("utf16be", "UTF-16BE", [] { return encoded(simplified(), "UTF-16BE"); }),
        // One character a line: each character and line feed pair into a
        // value of plane 10 as UTF-32LE, where there are no characters.
        found("one_character_a_line_utf16le", "UTF-16LE",
              [] { return encoded("一\n二\n三\n四\n五\n六\n七\n八\n", "UTF-16LE"); }),
        found("letters_a_line_utf16le", "UTF-16LE",
              [] { return encoded("a\nb\nc\nd\n", "UTF-16LE"); }),
        // Eight times U+8050, also U+5080 the other way round.
        undecided("either_utf16", "UTF-16LE and UTF-16BE both possible",
                  [] { return repeated("\x50\x80", 8); }),
        found("english_utf32le", "UTF-32LE", [] { return encoded(english(), "UTF-32LE"); }),
        found("english_utf32be", "UTF-32BE", [] { return encoded(english(), "UTF-32BE"); }),
        undecided("utf32le_controls", "looks like UTF-32LE without a mark",
                  [] { return encoded("\x01\x02 text", "UTF-32LE"); })),
    byLabel);

// Where the sample ends: a file of exactly its size is all of it, whose end
// cuts no character unless the file does; a longer file's sample may end
// inside a character that the rest of the file completes.
constexpr std::size_t kSampleSize = 64 << 10;

// UTF-8 of exactly kSampleSize bytes, three to a character, its last one cut
// after its first byte.
std::string utf8CutAtTheSampleEnd()
{
    std::string bytes = encoded(repeated("中文测试文本，", 1 + int(kSampleSize) / 21), "UTF-8");
    bytes.resize(kSampleSize);
    return bytes;
}

// UTF-16LE without a mark, longer than the sample, whose end falls between
// the two units of a surrogate pair (U+1F600).
std::string utf16PairCutBySampleEnd()
{
    const std::string line = encoded("中文测试文本，\n", "UTF-16LE");
    std::string bytes = repeated(line, int(kSampleSize / line.size()) + 1);
    bytes.resize(kSampleSize - 2);
    bytes += encoded("\U0001F600", "UTF-16LE") + repeated(line, 100);
    EXPECT_EQ(bytes.substr(kSampleSize - 2, 4), std::string("\x3D\xD8\x00\xDE", 4));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(SampleEnd, DetectTest,
                         testing::Values(undecided("utf8_of_the_sample_size_cut_at_its_end",
                                                   "no encoding fits", utf8CutAtTheSampleEnd),
                                         found("utf16le_pair_cut_by_the_sample", "UTF-16LE",
                                               utf16PairCutBySampleEnd)),
                         byLabel);

TEST(DetectEncoding, UnreadableFilesAreUndecided)
{
    ScratchDirectory scratch;
    EXPECT_EQ(detectEncoding(scratch.path() / u8path("没有.txt")).reason, "cannot be read");
    EXPECT_EQ(detectEncoding(scratch.path()).reason, "cannot be read");
    EXPECT_EQ(detectEncoding(scratch.path()).encoding, std::nullopt);
}

TEST(DetectEncoding, LeavesTheFileWholeForTheConversion)
{
    ScratchDirectory scratch;
    const fs::path file = scratch.path() / u8path("大文件.txt");
    const std::string bytes = encodedStart(traditional(), "Big5", 100000);
    writeBytes(file, bytes);
    InputFile input(file);
    EXPECT_EQ(detectInFile(input).encoding, "Big5");
    std::string again(bytes.size(), '\0');
    InputFile::Reader reader = input.from(0);
    EXPECT_EQ(reader.read(again.data(), again.size()), bytes.size());
    EXPECT_EQ(again, bytes);
}

struct Utf8Case
{
    std::string label;
    std::string bytes;
    bool wholeFile;
    bool expected;
};

std::ostream &operator<<(std::ostream &os, const Utf8Case &c)
{
    return os << c.label;
}

using WideUtf8Test = testing::TestWithParam<Utf8Case>;

TEST_P(WideUtf8Test, NeedsValidUtf8WithACharacterFromU0800)
{
    EXPECT_EQ(isUtf8WithWideCharacters({GetParam().bytes, GetParam().wholeFile}),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, WideUtf8Test,
    testing::Values(Utf8Case{"han", "\xE6\x96\x87", true, true},
                    Utf8Case{"latin_only", "caf\xC3\xA9", true, false},
                    Utf8Case{"ascii", "plain", true, false}, Utf8Case{"empty", "", true, false},
                    Utf8Case{"gbk_two_characters", "\xCE\xC4\xBC\xFE", true, false},
                    Utf8Case{"cut_in_a_character_sample", "\xE6\x96\x87\xE4\xBB", false, true},
                    Utf8Case{"cut_in_a_character_file", "\xE6\x96\x87\xE4\xBB", true, false},
                    Utf8Case{"with_nul", std::string("\xE6\x96\x87\0", 4), true, false},
                    Utf8Case{"surrogate", "\xED\xA0\x80\xE6\x96\x87", true, false},
                    Utf8Case{"unassigned_plane", "\xF3\x97\x91\x98", true, false},
                    Utf8Case{"overlong", "\xE0\x80\xAF\xE6\x96\x87", true, false}),
    byLabel);

// The mismatch guard: only the other family, only when it reads as Chinese
// there and decodes; text that reads as no Chinese at all named for what it is.
TEST(Lookalike, NamesTheOtherFamilyOnlyWhenItFits)
{
    const std::string big5 = encodedStart(traditional(), "Big5", 2000);
    const std::string gb = encodedStart(simplified(), "GB18030", 2000);
    const auto lookalike = [](const std::string &bytes, const std::string &chosen) {
        WholeFileCheck inMemory({bytes});
        return lookalikeOf({bytes}, resolveEncoding(chosen).family, chineseReadingsOf(bytes),
                           inMemory);
    };
    EXPECT_EQ(lookalike(big5, "GBK"), "Big5");
    EXPECT_EQ(lookalike(big5, "gb2312"), "Big5");
    EXPECT_EQ(lookalike(big5, "Big5"), std::nullopt);
    EXPECT_EQ(lookalike(big5, "UTF-8"), std::nullopt);
    EXPECT_EQ(lookalike(gb, "Big5"), "GB18030");
    EXPECT_EQ(lookalike(gb, "GB18030"), std::nullopt);
    EXPECT_EQ(lookalike(encoded(simplified(), "UTF-8") + "\xD6\xD0", "GBK"), "UTF-8");
    // Latin letters read as GBK: rare Han, or Traditional Han inside a word.
    EXPECT_NE(lookalike("Si la commande pushd r\xE9ussit, bash effectue un dir\n", "GBK"),
              std::nullopt);
    EXPECT_NE(lookalike("Gr\xF6\xDF"
                        "e und L\xE4nge m\xFCssen gepr\xFC"
                        "ft werden.\n",
                        "GBK"),
              std::nullopt);
    // Reads as Chinese in the other family, but the whole file (ending
    // inside a character) does not decode there: named all the same, for it
    // reads as no Chinese in the chosen one.
    const std::string spoilt = gb + "\x81"; // outlives the check, which keeps a view of it
    WholeFileCheck spoiltEnd({spoilt});
    EXPECT_EQ(lookalikeOf({gb, false}, "Big5", chineseReadingsOf(gb), spoiltEnd), "GB18030");
}

TEST(LikelyEncoding, OffersOnlyAnEncodingTheWholeFileDecodesIn)
{
    const auto check = [](const std::string &bytes) {
        WholeFileCheck inMemory({bytes});
        return likelyEncoding({bytes}, findByteOrderMark(bytes), inMemory);
    };
    EXPECT_EQ(check(encoded(simplified(), "UTF-8")), "UTF-8");
    EXPECT_EQ(check(encodedStart(simplified(), "GBK", 2000)), "GB18030");
    EXPECT_EQ(check(encodedStart(traditional(), "Big5", 2000)), "Big5");
    EXPECT_EQ(check(encoded(simplified(), "UTF-8") + "\xFF"), std::nullopt);
    EXPECT_EQ(check(twoCharacters(simplified(), "GBK")), std::nullopt);
}

TEST(DecodesStrictly, ReadsTheWholeFileAcrossChunks)
{
    ScratchDirectory scratch;
    const fs::path file = scratch.path() / u8path("长文件.txt");
    // An odd number of ASCII bytes puts a character across every chunk edge.
    const std::string bytes =
        std::string(1001, 'a') + encodedStart(simplified(), "GB18030", 3 << 20);
    writeBytes(file, bytes);
    InputFile input(file);
    EXPECT_TRUE(decodesStrictly(input, "GB18030"));
    writeBytes(file, bytes + "\xC4");
    InputFile truncated(file);
    EXPECT_FALSE(decodesStrictly(truncated, "GB18030"));
    EXPECT_FALSE(decodesStrictly(truncated, "Big5"));
    EXPECT_TRUE(decodesStrictly(std::string_view(bytes), "GB18030"));
    EXPECT_FALSE(decodesStrictly(std::string_view("\xC4"), "GB18030"));
}

} // namespace
} // namespace velloran::test
