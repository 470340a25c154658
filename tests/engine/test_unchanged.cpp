// SPDX-License-Identifier: GPL-3.0-or-later
// In place, a file that the conversion would give back byte for byte is left
// as it is: reported Unchanged and not rewritten, in a dry run too; every
// other file is converted (or refused) as ever.
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>

namespace velloran::test {
namespace {

using enum Outcome;

const std::string kUtf8Text = "中文测试\n";
const std::string kGbkText = "\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4\n"; // 中文测试
const std::string kLongAscii = repeated("plain ASCII line\n", 8000);

struct UnchangedCase
{
    std::string label;
    std::string bytes;
    std::string source;
    std::string target;
    Outcome outcome;
    // The file's bytes afterwards, when it is rewritten.
    std::optional<std::string> rewritten = {};
    bool writesMark = false; // a mark asked for besides the target's own rule
};

// The file's identity and time: a file written again is a new one.
struct Stamp
{
    ino_t inode;
    timespec modified;

    static Stamp of(const fs::path &path)
    {
        struct stat info = {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0);
        return {info.st_ino, info.st_mtim};
    }
    bool operator==(const Stamp &other) const
    {
        return inode == other.inode && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

using InPlaceIdentical = ScratchTest<UnchangedCase>;

// In one stream with tiny chunks, and in pieces on several threads.
TEST_P(InPlaceIdentical, LeavesAFileThatWouldComeOutAsItIs)
{
    const UnchangedCase &c = GetParam();
    const fs::path file = scratch.path() / "文件.txt";
    for (const bool inPieces : {false, true}) {
        for (const bool dryRun : {true, false}) {
            writeBytes(file, c.bytes);
            const Stamp before = Stamp::of(file);
            RunOptions options = runOptions(c.source, c.target, {}, inPieces ? 3 : 1);
            options.outputRule = OutputRule::InPlace;
            options.target.writesMark = options.target.writesMark || c.writesMark;
            options.dryRun = dryRun;
            options.tuning = {.chunkSize = 1000, .parallelFrom = 1, .pieceSize = 4096};
            const FileResult result = convertRun(runInputs({file}), options).at(0);
            EXPECT_EQ(result.outcome, c.outcome) << inPieces << dryRun;
            const bool written = c.rewritten && !dryRun;
            EXPECT_EQ(readBytes(file), written ? *c.rewritten : c.bytes) << inPieces << dryRun;
            EXPECT_EQ(Stamp::of(file) == before, !written) << inPieces << dryRun;
            EXPECT_FALSE(hasTemporaryFile(scratch.path()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InPlaceIdentical,
    testing::Values(
        UnchangedCase{"utf8_to_utf8", kUtf8Text, "UTF-8", "UTF-8", Unchanged},
        UnchangedCase{"ascii_from_gbk", kLongAscii, "GBK", "UTF-8", Unchanged},
        UnchangedCase{"utf8_from_gbk_already_converted", kUtf8Text, "GBK", "UTF-8", Unchanged},
        UnchangedCase{"utf8_detected", kLongAscii + kUtf8Text, "detect", "UTF-8", Unchanged},
        UnchangedCase{"empty", "", "GBK", "UTF-8", Unchanged},
        UnchangedCase{"utf16_with_its_mark", kUtf16LeMark + std::string("a\0\n\0", 4), "UTF-16",
                      "UTF-16", Unchanged},
        UnchangedCase{"utf8_mark_kept_when_asked", kUtf8Mark + kUtf8Text, "UTF-8", "UTF-8",
                      Unchanged, std::nullopt, true},
        UnchangedCase{"gbk_converted", kGbkText, "GBK", "UTF-8", Converted, kUtf8Text},
        UnchangedCase{"gbk_after_much_ascii", kLongAscii + kGbkText, "GBK", "UTF-8", Converted,
                      kLongAscii + kUtf8Text},
        UnchangedCase{"utf8_mark_dropped", kUtf8Mark + kUtf8Text, "UTF-8", "UTF-8", Converted,
                      kUtf8Text},
        UnchangedCase{"one_of_two_marks_dropped", kUtf8Mark + kUtf8Mark, "UTF-8", "UTF-8",
                      Converted, kUtf8Mark},
        UnchangedCase{"utf8_mark_asked", kUtf8Text, "UTF-8", "UTF-8", Converted,
                      kUtf8Mark + kUtf8Text, true},
        UnchangedCase{"already_utf8_but_a_mark_asked", kUtf8Text, "GBK", "UTF-8", AlreadyUtf8,
                      std::nullopt, true},
        UnchangedCase{"already_utf8_to_gb18030", kUtf8Text, "GBK", "GB18030", AlreadyUtf8}),
    byLabel);

// Only in place: an output elsewhere is always written.
TEST(Unchanged, OnlyWhereTheOutputReplacesTheInput)
{
    ScratchDirectory scratch;
    const fs::path file = scratch.path() / "文件.txt";
    writeBytes(file, kUtf8Text);
    const fs::path out = scratch.subdirectory("输出");
    const FileResult result =
        convertRun(runInputs({file}), runOptions("UTF-8", "UTF-8", out)).at(0);
    EXPECT_EQ(result.outcome, Converted);
    EXPECT_EQ(readBytes(out / "文件.txt"), kUtf8Text);
}

} // namespace
} // namespace velloran::test
