// SPDX-License-Identifier: GPL-3.0-or-later
// Converting with the source "detect", and the guards against a wrong
// source: real Chinese text (fixtures/detect) in each encoding, through real
// files, checking the outcome, the encoding used, the hint and what is written.
#include "test_detect_text.h"
#include "test_support.h"

namespace velloran::test {
namespace {

using enum Outcome;
using Text = std::function<std::string()>;

struct SourceCase
{
    std::string label;
    std::string source;
    Text text;
    Outcome outcome;
    std::string encoding; // FileResult::encoding
    std::string likely = {};
    std::string reason = {};
    std::string mark = {}; // a byte-order mark in front of the text
    std::string target = "UTF-8";
};

std::ostream &operator<<(std::ostream &os, const SourceCase &c)
{
    return os << c.label;
}

using SourceTest = ScratchTest<SourceCase>;

// Converted files hold their text as the encoding used reads it; refused
// and failed ones leave nothing behind.
TEST_P(SourceTest, ConvertsFromTheRightSourceOrRefuses)
{
    const SourceCase &c = GetParam();
    const std::string text = c.text();
    std::string output;
    const FileResult result = convertBytes(scratch, c.mark + text, c.source, c.target, output);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.encoding, c.encoding);
    EXPECT_EQ(result.likely, c.likely);
    EXPECT_EQ(result.reason, c.reason);
    if (c.outcome == Converted) {
        EXPECT_EQ(output, decoded(text, c.encoding));
    } else {
        EXPECT_FALSE(fs::exists(convertedPath(scratch)));
    }
    EXPECT_FALSE(hasTemporaryFile(scratch.path()));
}

Text start(const std::string &text, const std::string &encoding, std::size_t length,
           const std::string &tail = {})
{
    return [=] { return encodedStart(text, encoding, length) + tail; };
}

Text whole(const std::string &text, const std::string &encoding)
{
    return [=] { return encoded(text, encoding); };
}

Text literal(const std::string &bytes)
{
    return [=] { return bytes; };
}

// English for longer than detection samples, then `tail`.
Text englishThen(const std::string &tail)
{
    return [=] {
        const int times = static_cast<int>(70000 / english().size()) + 1;
        return repeated(english(), times) + tail;
    };
}

std::string englishThenGbkWord()
{
    return englishThen(twoCharacters(simplified(), "GBK"))();
}

SourceCase converted(const std::string &label, const std::string &source, const Text &text,
                     const std::string &encoding, const std::string &likely = {})
{
    return {label, source, text, Converted, encoding, likely};
}

SourceCase failed(const std::string &label, const std::string &source, const Text &text,
                  Outcome outcome, const std::string &encoding, const std::string &likely = {},
                  const std::string &reason = {})
{
    return {label, source, text, outcome, encoding, likely, reason};
}

SourceCase withMark(SourceCase c, const std::string &mark)
{
    c.mark = mark;
    return c;
}

SourceCase withTarget(SourceCase c, const std::string &target)
{
    c.target = target;
    return c;
}

const std::string detect(kDetectEncoding);

// The plain detected cases are in DetectRun below: a run converts each file
// through the same call.
INSTANTIATE_TEST_SUITE_P(
    Detect, SourceTest,
    testing::Values(
        converted("big5_past_the_sample", detect, start(traditional(), "Big5", 200000), "Big5"),
        withMark(converted("utf16le_mark", detect, whole(simplified(), "UTF-16LE"), "UTF-16LE"),
                 kUtf16LeMark),
        // Past the sample, the conversion itself finds the bad byte; detection
        // is then asked again with the whole file checked.
        failed("gb18030_broken_past_the_sample", detect,
               start(simplified(), "GB18030", 100000, "\x81"), Undecided, {}, {},
               "looks like GB18030 but does not decode as it"),
        // As in a small file (see DetectTest), a user-defined character
        // rules Big5 out, past the sample too.
        failed("big5_private_use_past_the_sample", detect,
               start(traditional(), "Big5", 100000, "\xFA\x40"), Undecided, {}, {},
               "looks like Big5 but does not decode as it"),
        // The same when the conversion stops earlier, at a character the target lacks.
        withTarget(failed("big5_unrepresentable_past_the_sample", detect,
                          start(traditional(), "Big5", 100000, "\xFA\x40"), Undecided, {}, {},
                          "looks like Big5 but does not decode as it"),
                   "GB2312"),
        // Taken as GB18030 on trust, the only family left; the conversion is
        // the check, and detection is then asked with the file decoded.
        failed("not_text", detect, literal(std::string(64, '\xFF')), Undecided, {}, {},
               "no encoding fits"),
        // The GBK word after the English is judged as in a small file: too
        // short to tell.
        failed("english_then_gbk_past_the_sample", detect, englishThenGbkWord, Undecided, {}, {},
               "too short"),
        converted("english_then_big5_past_the_sample", detect,
                  englishThen(encodedStart(traditional(), "Big5", 3000)), "Big5")),
    byLabel);

// From GBK is in GuardedRun below.
INSTANTIATE_TEST_SUITE_P(
    AlreadyUtf8, SourceTest,
    testing::Values(
        failed("from_gb2312", "GB2312", whole(simplified(), "UTF-8"), AlreadyUtf8, "GB2312"),
        failed("from_big5", "Big5", whole(traditional(), "UTF-8"), AlreadyUtf8, "Big5"),
        // Any alias ICU knows for them.
        failed("from_gbk_lower_case", "gbk", whole(simplified(), "UTF-8"), AlreadyUtf8, "gbk"),
        failed("two_characters", "GB18030", whole(firstWord(simplified()), "UTF-8"), AlreadyUtf8,
               "GB18030"),
        // Characters below U+0800 alone, which GBK reads as Han ("聽" for a
        // no-break space): as plainly UTF-8, the start or past the sample.
        failed("no_break_spaces", "GBK",
               literal("key =\xC2\xA0"
                       "a\xC2\xA0"
                       "b\xC2\xA0"
                       "c\n"),
               AlreadyUtf8, "GBK"),
        failed("accented_letters", "GB18030", literal("caf\xC3\xA9 cr\xC3\xA8me\n"), AlreadyUtf8,
               "GB18030"),
        failed("accented_letter_past_the_sample", "GBK", englishThen("na\xC3\xAFve\n"), AlreadyUtf8,
               "GBK"),
        failed("past_the_sample", "GB18030", start(simplified(), "UTF-8", 200000), AlreadyUtf8,
               "GB18030"),
        // Its first wide character past the sample: the conversion tells,
        // whether GBK reads the rest (中文) or not.
        failed("first_han_past_the_sample", "GBK", englishThen("\xE4\xB8\xAD\xE6\x96\x87\n"),
               AlreadyUtf8, "GBK"),
        failed("text_past_the_sample", "GB18030", englishThen(encoded(simplified(), "UTF-8")),
               AlreadyUtf8, "GB18030"),
        converted("gbk_past_the_sample", "GBK", englishThenGbkWord, "GBK"),
        // Not UTF-8 after all, past the sample: converted from the choice.
        failed("broken_past_the_sample", "GBK", start(simplified(), "UTF-8", 100000, "\xFF"),
               InvalidSource, "GBK"),
        // A mark decides the encoding, so there is nothing to guard against.
        withMark(converted("with_a_mark", "GBK", whole(simplified(), "UTF-8"), "UTF-8"), kUtf8Mark),
        converted("chosen_right", "UTF-8", whole(simplified(), "UTF-8"), "UTF-8")),
    byLabel);

// GBK text and Big5 text from GBK are in GuardedRun below; the guard's
// answer for each pair of families is pinned in test_detect.cpp.
INSTANTIATE_TEST_SUITE_P(
    Mismatch, SourceTest,
    testing::Values(converted("big5_from_gb18030", "GB18030", start(traditional(), "Big5", 2000),
                              "GB18030", "Big5"),
                    converted("big5_from_gbk_past_the_sample", "GBK",
                              start(traditional(), "Big5", 200000), "GBK", "Big5"),
                    converted("ascii_from_gbk", "GBK", whole(english(), "GBK"), "GBK")),
    byLabel);

INSTANTIATE_TEST_SUITE_P(
    DecodeFailureHint, SourceTest,
    testing::Values(failed("gbk_from_utf8", "UTF-8", start(simplified(), "GBK", 2000),
                           InvalidSource, "UTF-8", "GB18030"),
                    failed("big5_from_utf8", "UTF-8", start(traditional(), "Big5", 2000),
                           InvalidSource, "UTF-8", "Big5"),
                    failed("utf8_from_utf32", "UTF-32", whole(simplified(), "UTF-8"), InvalidSource,
                           "UTF-32", "UTF-8"),
                    failed("not_text_from_utf8", "UTF-8", literal(std::string(64, '\xFF')),
                           InvalidSource, "UTF-8")),
    byLabel);

// The mismatch guard lets the user undo a conversion from the wrong family:
// strict conversions both ways give back the very bytes converted.
TEST(MismatchGuard, ConvertingBackIsAnExactUndo)
{
    ScratchDirectory scratch;
    const std::string big5 = encodedStart(traditional(), "Big5", 5000);
    std::string converted;
    const FileResult wrong = convertBytes(scratch, big5, "GBK", "UTF-8", converted);
    ASSERT_EQ(wrong.outcome, Converted);
    ASSERT_EQ(wrong.likely, "Big5");
    ASSERT_NE(converted, decoded(big5, "Big5"));
    std::string back;
    ASSERT_EQ(convertBytes(scratch, converted, "UTF-8", "GBK", back).outcome, Converted);
    EXPECT_EQ(back, big5);
    std::string right;
    ASSERT_EQ(convertBytes(scratch, back, wrong.likely, "UTF-8", right).outcome, Converted);
    EXPECT_EQ(right, decoded(big5, "Big5"));
}

// A missing file is a failure to read, detected or not.
TEST(DetectSource, CannotReadAMissingFile)
{
    ScratchDirectory scratch;
    EXPECT_FALSE(isKnownEncoding(kDetectEncoding));
    EXPECT_EQ(convertFile(scratch.path() / u8path("没有.txt"), convertedPath(scratch),
                          optionsFor(detect, "UTF-8"))
                  .outcome,
              CannotRead);
}

// One file of a run, and what the run must make of it.
struct RunEntry
{
    std::string name;
    std::string bytes;
    Outcome outcome;
    std::string encoding;
    std::string likely;
    std::string reason;
    std::string text; // what a converted file holds, as UTF-8
};

// A file converted from `encoding`, read as that encoding reads it.
RunEntry convertedFile(const std::string &name, const std::string &bytes,
                       const std::string &encoding, const std::string &likely = {})
{
    return {name, bytes, Converted, encoding, likely, {}, decoded(bytes, encoding)};
}

// A file that is refused or fails, left as it was.
RunEntry refusedFile(const std::string &name, const std::string &bytes, Outcome outcome,
                     const std::string &encoding, const std::string &likely = {},
                     const std::string &reason = {})
{
    return {name, bytes, outcome, encoding, likely, reason, {}};
}

// Runs `entries` from `source` to UTF-8 into `output` on two workers, from
// files named by the entries in `folder`, and checks every result and output.
void checkRun(const std::vector<RunEntry> &entries, const std::string &source,
              const fs::path &folder, OutputRule rule, const fs::path &output,
              bool convertLookalikes = false)
{
    std::vector<fs::path> inputs;
    for (const RunEntry &entry : entries) {
        inputs.push_back(folder / entry.name);
        writeBytes(inputs.back(), entry.bytes);
    }
    RunOptions options = runOptions(source, "UTF-8", output, 2);
    options.outputRule = rule;
    options.convertLookalikes = convertLookalikes;
    const std::vector<FileResult> results = convertRun(runInputs(inputs), options);
    ASSERT_EQ(results.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].name);
        EXPECT_EQ(results[i].outcome, entries[i].outcome);
        EXPECT_EQ(results[i].encoding, entries[i].encoding);
        EXPECT_EQ(results[i].likely, entries[i].likely);
        EXPECT_EQ(results[i].reason, entries[i].reason);
        const fs::path written = rule == OutputRule::InPlace ? inputs[i] : output / entries[i].name;
        if (entries[i].outcome == Converted) {
            EXPECT_EQ(readBytes(written), entries[i].text);
        } else if (written == inputs[i]) {
            EXPECT_EQ(readBytes(written), entries[i].bytes);
        } else {
            EXPECT_FALSE(fs::exists(written));
        }
    }
    EXPECT_FALSE(hasTemporaryFile(output));
}

TEST(DetectRun, ConvertsAMixedFolderFileByFile)
{
    ScratchDirectory scratch;
    const std::string utf8 = encoded(traditional(), "UTF-8");
    checkRun({convertedFile("国标.txt", encodedStart(simplified(), "GB18030", 2000), "GB18030"),
              convertedFile("繁體.txt", encodedStart(traditional(), "Big5", 2000), "Big5"),
              convertedFile("統一碼.txt", utf8, "UTF-8"),
              convertedFile("英文.txt", english(), "UTF-8"),
              convertedFile("小端.txt", encodedStart(simplified(), "UTF-16LE", 2000), "UTF-16LE"),
              {"带标记.txt", kUtf8Mark + utf8, Converted, "UTF-8", {}, {}, utf8},
              refusedFile("两字.txt", twoCharacters(simplified(), "GBK"), Undecided, {}, {},
                          "too short"),
              // Larger than the sample: GBK text read as GB18030.
              convertedFile("大文件.txt", encodedStart(simplified(), "GBK", 200000), "GB18030")},
             detect, scratch.subdirectory("混合"), OutputRule::IntoDirectory,
             scratch.subdirectory("输出"));
}

// In place from GBK to UTF-8: the UTF-8 file is left as it is (it is what
// the run would make of it); the Big5 one (whose bytes would be gone) and
// the one that does not decode are refused, and stay as they were.
TEST(GuardedRun, KeepsUtf8FilesAndLookAlikesInPlace)
{
    ScratchDirectory scratch;
    const fs::path folder = scratch.subdirectory("字幕");
    checkRun({convertedFile("国标.txt", encodedStart(simplified(), "GBK", 2000), "GBK"),
              refusedFile("已是.txt", encoded(simplified(), "UTF-8"), Unchanged, "UTF-8"),
              refusedFile("繁體.txt", encodedStart(traditional(), "Big5", 2000), LooksLikeOther,
                          "GBK", "Big5"),
              refusedFile("小端.txt", encodedStart(simplified(), "UTF-16LE", 2000), InvalidSource,
                          "GBK", "UTF-16LE")},
             "GBK", folder, OutputRule::InPlace, folder);
}

// Into the files' own folder is in place too; into another, the look-alike
// is converted and named.
TEST(GuardedRun, KeepsLookAlikesInTheirOwnFolder)
{
    ScratchDirectory scratch;
    const fs::path folder = scratch.subdirectory("字幕");
    const std::string big5 = encodedStart(traditional(), "Big5", 2000);
    checkRun({refusedFile("繁體.txt", big5, LooksLikeOther, "GBK", "Big5")}, "GBK", folder,
             OutputRule::IntoDirectory, folder);
    checkRun({convertedFile("繁體.txt", big5, "GBK", "Big5")}, "GBK", folder,
             OutputRule::IntoDirectory, scratch.subdirectory("输出"));
}

// Asked to, the look-alike is converted in place, and named as looking like Big5.
TEST(GuardedRun, ConvertsLookAlikesInPlaceWhenAsked)
{
    ScratchDirectory scratch;
    const fs::path folder = scratch.subdirectory("字幕");
    checkRun({convertedFile("繁體.txt", encodedStart(traditional(), "Big5", 2000), "GBK", "Big5")},
             "GBK", folder, OutputRule::InPlace, folder, true);
}

} // namespace
} // namespace velloran::test
