// Detection of a file's encoding: real Chinese text (fixtures/detect) written
// in each encoding at several lengths, byte-order marks, and the hard cases
// that short files and mostly-English files make.
#include "test_detect_text.h"
#include "test_support.h"

#include "detector.h"
#include "input_file.h"

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

using DetectTest = ScratchTest<DetectCase>;

TEST_P(DetectTest, AnswersOrStaysUndecided)
{
    const fs::path file = scratch.path() / "检测 样本.txt";
    const std::string bytes = GetParam().bytes();
    writeBytes(file, bytes);
    const Detection detection = detectEncoding(file);
    EXPECT_EQ(detection.encoding, GetParam().encoding) << "reason: " << detection.reason;
    EXPECT_EQ(detection.reason, GetParam().reason);
    if (!detection.encoding.empty()) {
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

INSTANTIATE_TEST_SUITE_P(
    Marks, DetectTest,
    testing::Values(
        DetectCase{
            "utf8_mark", [] { return kUtf8Mark + encoded(simplified(), "UTF-8"); }, "UTF-8", {}},
        DetectCase{"utf8_mark_alone", [] { return kUtf8Mark; }, "UTF-8", {}},
        DetectCase{"utf16le_mark",
                   [] { return kUtf16LeMark + twoCharacters(simplified(), "UTF-16LE"); },
                   "UTF-16LE",
                   {}},
        DetectCase{"utf16be_mark",
                   [] { return kUtf16BeMark + twoCharacters(simplified(), "UTF-16BE"); },
                   "UTF-16BE",
                   {}},
        DetectCase{"utf32le_mark",
                   [] { return kUtf32LeMark + twoCharacters(simplified(), "UTF-32LE"); },
                   "UTF-32LE",
                   {}},
        DetectCase{"utf32be_mark",
                   [] { return kUtf32BeMark + twoCharacters(simplified(), "UTF-32BE"); },
                   "UTF-32BE",
                   {}},
        // The UTF-EBCDIC signature is not a mark: here it is a GBK character and
        // "fs", in front of GB text.
        DetectCase{"not_a_mark",
                   [] { return "\xDD\x73\x66\x73" + encodedStart(simplified(), "GBK", 2000); },
                   "GB18030",
                   {}}),
    byLabel);

INSTANTIATE_TEST_SUITE_P(
    HardCases, DetectTest,
    testing::Values(
        DetectCase{"empty", [] { return std::string(); }, "UTF-8", {}},
        DetectCase{"ascii", [] { return english(); }, "UTF-8", {}},
        DetectCase{"two_characters_gbk",
                   [] { return twoCharacters(simplified(), "GBK"); },
                   {},
                   "too short"},
        DetectCase{"two_characters_big5",
                   [] { return twoCharacters(traditional(), "Big5"); },
                   {},
                   "too short"},
        DetectCase{"two_characters_utf8",
                   [] { return twoCharacters(simplified(), "UTF-8"); },
                   "UTF-8",
                   {}},
        // As likely two GBK characters: no NUL byte tells them apart.
        DetectCase{"two_characters_utf16le",
                   [] { return twoCharacters(simplified(), "UTF-16LE"); },
                   {},
                   "too short"},
        DetectCase{"english_one_word_gbk",
                   [] { return englishWithOneChineseWord("GBK"); },
                   {},
                   "too short"},
        DetectCase{"english_one_word_utf8",
                   [] { return englishWithOneChineseWord("UTF-8"); },
                   "UTF-8",
                   {}},
        DetectCase{"english_one_word_utf16le",
                   [] { return englishWithOneChineseWord("UTF-16LE"); },
                   "UTF-16LE",
                   {}},
        DetectCase{
            "english_utf16le", [] { return encoded(english(), "UTF-16LE"); }, "UTF-16LE", {}},
        // Mostly GB text whose end is not valid GB18030, past the sample.
        DetectCase{"gb18030_broken_late",
                   [] { return encodedStart(simplified(), "GB18030", 100000) + "\x81"; },
                   {},
                   "looks like GB18030 but does not decode as it"},
        DetectCase{"three_bytes", [] { return std::string("\x80\x80\x80"); }, {}, "too short"},
        DetectCase{"not_text", [] { return std::string(64, '\xFF'); }, {}, "no encoding fits"}),
    byLabel);

TEST(DetectEncoding, UnreadableFilesAreUndecided)
{
    ScratchDirectory scratch;
    EXPECT_EQ(detectEncoding(scratch.path() / "没有.txt").reason, "cannot be read");
    EXPECT_EQ(detectEncoding(scratch.path()).reason, "cannot be read");
    EXPECT_EQ(detectEncoding(scratch.path()).encoding, "");
}

TEST(DetectEncoding, LeavesTheFileAtItsStart)
{
    ScratchDirectory scratch;
    const fs::path file = scratch.path() / "大文件.txt";
    const std::string bytes = encodedStart(traditional(), "Big5", 100000);
    writeBytes(file, bytes);
    InputFile input(file);
    EXPECT_EQ(detectInFile(input).encoding, "Big5");
    std::string again(bytes.size(), '\0');
    EXPECT_EQ(input.read(again.data(), again.size()), bytes.size());
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

class WideUtf8Test : public testing::TestWithParam<Utf8Case>
{
};

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

// The mismatch guard: only the other family, only when confident and decoding.
TEST(OtherChineseFamily, NamesTheOtherFamilyOnlyWhenItFits)
{
    const std::string big5 = encodedStart(traditional(), "Big5", 2000);
    const std::string gb = encodedStart(simplified(), "GB18030", 2000);
    const auto inMemory = [](const std::string &bytes) {
        return [&bytes](std::string_view encoding) { return decodesStrictly(bytes, encoding); };
    };
    EXPECT_EQ(otherChineseFamily({big5}, "GBK", inMemory(big5)), "Big5");
    EXPECT_EQ(otherChineseFamily({big5}, "gb2312", inMemory(big5)), "Big5");
    EXPECT_EQ(otherChineseFamily({big5}, "Big5", inMemory(big5)), "");
    EXPECT_EQ(otherChineseFamily({big5}, "UTF-8", inMemory(big5)), "");
    EXPECT_EQ(otherChineseFamily({gb}, "Big5", inMemory(gb)), "GB18030");
    EXPECT_EQ(otherChineseFamily({gb}, "GB18030", inMemory(gb)), "");
    // Confident, but the whole file does not decode in the other family.
    EXPECT_EQ(otherChineseFamily({gb}, "Big5", [](std::string_view) { return false; }), "");
}

TEST(LikelyEncoding, OffersOnlyAnEncodingTheWholeFileDecodesIn)
{
    const auto check = [](const std::string &bytes) {
        return likelyEncoding({bytes}, [&bytes](std::string_view encoding) {
            return decodesStrictly(bytes, encoding);
        });
    };
    EXPECT_EQ(check(encoded(simplified(), "UTF-8")), "UTF-8");
    EXPECT_EQ(check(encodedStart(simplified(), "GBK", 2000)), "GB18030");
    EXPECT_EQ(check(encodedStart(traditional(), "Big5", 2000)), "Big5");
    EXPECT_EQ(check(encoded(simplified(), "UTF-8") + "\xFF"), "");
    EXPECT_EQ(check(twoCharacters(simplified(), "GBK")), "");
}

TEST(DecodesStrictly, ReadsTheWholeFileAcrossChunks)
{
    ScratchDirectory scratch;
    const fs::path file = scratch.path() / "长文件.txt";
    // An odd number of ASCII bytes puts a character across every chunk edge.
    const std::string bytes =
        std::string(1001, 'a') + encodedStart(simplified(), "GB18030", 3 << 20);
    writeBytes(file, bytes);
    InputFile input(file);
    EXPECT_TRUE(decodesStrictly(input, "GB18030"));
    EXPECT_EQ(input.position(), 0u);
    writeBytes(file, bytes + "\xC4");
    InputFile truncated(file);
    EXPECT_FALSE(decodesStrictly(truncated, "GB18030"));
    EXPECT_FALSE(decodesStrictly(truncated, "Big5"));
    EXPECT_TRUE(decodesStrictly(std::string_view(bytes), "GB18030"));
    EXPECT_FALSE(decodesStrictly(std::string_view("\xC4"), "GB18030"));
}

} // namespace
} // namespace velloran::test
