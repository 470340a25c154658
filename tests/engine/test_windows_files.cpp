// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: what the POSIX suites check with permissions and descriptors,
// here with Windows' own means: names the ANSI code page cannot hold, a
// file replaced in place while the engine reads it, long paths, the
// read-only attribute, a file another program holds open, and the
// attributes a replaced file keeps.
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace velloran::test {
namespace {

using enum Outcome;

const std::string kGbkText = "\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4\n"; // 中文测试
const std::string kUtf8Text = "中文测试\n";

struct NameCase
{
    std::string label;
    std::string name; // UTF-8
};

using InPlaceName = ScratchTest<NameCase>;

// In one stream and in pieces on several threads: the input is open while
// it is read, and closed before the converted file replaces it.
TEST_P(InPlaceName, ReplacesTheInput)
{
    const fs::path file = scratch.path() / u8path(GetParam().name);
    for (const unsigned workers : {1u, 3u}) {
        writeBytes(file, repeated(kGbkText, 3000));
        RunOptions options = runOptions("GBK", "UTF-8", {}, workers);
        options.outputRule = OutputRule::InPlace;
        options.tuning = {.chunkSize = 1000, .parallelFrom = 1, .pieceSize = 4096};
        const FileResult result = convertRun(runInputs({file}), options).at(0);
        ASSERT_EQ(result.outcome, Converted) << workers << " " << result.message;
        EXPECT_EQ(readBytes(file), repeated(kUtf8Text, 3000)) << workers;
        EXPECT_FALSE(hasTemporaryFile(scratch.path())) << workers;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, InPlaceName,
    testing::Values(NameCase{"chinese", "中文.txt"},
                    // Neither the Chinese nor the Western ANSI code page holds these.
                    NameCase{"outsideTheCodePage", "한국어 Ελληνικά 😀.txt"},
                    NameCase{"spacesAndDots", "a b.c d.txt"}),
    byLabel);

// Beyond MAX_PATH (260 characters), spelled with the \\?\ prefix that lifts
// the limit.
TEST(WindowsFiles, ConvertsBeyondTheOldPathLimit)
{
    ScratchDirectory scratch;
    const fs::path top = u8path("\\\\?\\") += fs::absolute(scratch.path()).make_preferred();
    fs::path longDirectory = top;
    for (int i = 0; i < 6; ++i)
        longDirectory /= u8path(repeated("长路径", 15));
    // Removed through the prefix: the scratch directory's own removal has none.
    const Restore removeTree{[&] {
        std::error_code ignored;
        fs::remove_all(top / u8path(repeated("长路径", 15)), ignored);
    }};
    fs::create_directories(longDirectory);
    const fs::path input = longDirectory / u8path("文件.txt");
    writeBytes(input, kGbkText);
    ASSERT_GT(input.native().size(), 300u);
    const fs::path output = longDirectory / u8path("出");
    fs::create_directory(output);
    const FileResult result =
        convertRun(runInputs({input}), runOptions("GBK", "UTF-8", output)).at(0);
    ASSERT_EQ(result.outcome, Converted) << result.message;
    EXPECT_EQ(readBytes(output / u8path("文件.txt")), kUtf8Text);
}

// A read-only file is refused before anything is written, with the reason.
TEST(WindowsFiles, RefusesToReplaceAReadOnlyFile)
{
    ScratchDirectory scratch;
    const fs::path file = scratch.path() / u8path("只读.txt");
    writeBytes(file, kGbkText);
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    RunOptions options = runOptions("GBK", "UTF-8", {});
    options.outputRule = OutputRule::InPlace;
    const FileResult result = convertRun(runInputs({file}), options).at(0);
    EXPECT_EQ(result.outcome, CannotWrite);
    EXPECT_NE(result.message.find("read-only"), std::string::npos) << result.message;
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readBytes(file), kGbkText);
    EXPECT_FALSE(hasTemporaryFile(scratch.path()));
}

// An output another program holds open without sharing its deletion cannot
// be replaced: a write failure with its reason, the file as it was.
TEST(WindowsFiles, ReportsAnOutputHeldOpenAsAWriteFailure)
{
    ScratchDirectory scratch;
    const fs::path input = scratch.path() / u8path("源.txt");
    const fs::path output = scratch.subdirectory("出");
    const fs::path held = output / u8path("源.txt");
    writeBytes(input, kGbkText);
    writeBytes(held, "held\n");
    HANDLE handle = ::CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const FileResult result =
        convertRun(runInputs({input}), runOptions("GBK", "UTF-8", output)).at(0);
    ::CloseHandle(handle);
    EXPECT_EQ(result.outcome, CannotWrite);
    EXPECT_NE(result.message.find(held.filename().string()), std::string::npos) << result.message;
    EXPECT_EQ(readBytes(held), "held\n");
    EXPECT_EQ(readBytes(input), kGbkText);
    EXPECT_FALSE(hasTemporaryFile(output));
}

// A hidden file stays hidden once replaced; the temporary file it was
// written as is hidden no more.
TEST(WindowsFiles, KeepsTheHiddenAttributeOfAReplacedFile)
{
    ScratchDirectory scratch;
    const fs::path file = scratch.path() / u8path("隐藏.txt");
    writeBytes(file, kGbkText);
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    RunOptions options = runOptions("GBK", "UTF-8", {});
    options.outputRule = OutputRule::InPlace;
    const FileResult result = convertRun(runInputs({file}), options).at(0);
    ASSERT_EQ(result.outcome, Converted) << result.message;
    EXPECT_EQ(readBytes(file), kUtf8Text);
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
}

// A new output is not hidden, though its temporary file was.
TEST(WindowsFiles, ShowsANewOutput)
{
    ScratchDirectory scratch;
    const fs::path input = scratch.path() / u8path("新.txt");
    writeBytes(input, kGbkText);
    const fs::path output = scratch.subdirectory("出");
    const FileResult result =
        convertRun(runInputs({input}), runOptions("GBK", "UTF-8", output)).at(0);
    ASSERT_EQ(result.outcome, Converted) << result.message;
    const DWORD attributes = ::GetFileAttributesW((output / u8path("新.txt")).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
}

} // namespace
} // namespace velloran::test
