// SPDX-License-Identifier: GPL-3.0-or-later
// Where the bytes go: output paths, in-place conversion, permissions, and
// every way reading or writing a file can fail.
#include "files/input_file.h"
#include "run/output_paths.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velloran::test {
namespace {

// ---------------------------------------------------------------------------

struct PathCase
{
    std::string directory;
    std::string input;
    std::string expected;
};

void PrintTo(const PathCase &c, std::ostream *os)
{
    *os << c.directory << " + " << c.input;
}

using OutputPath = testing::TestWithParam<PathCase>;

TEST_P(OutputPath, JoinsWithExactlyOneSeparator)
{
    const PathCase &c = GetParam();
    EXPECT_EQ(outputPathFor(c.directory, c.input).string(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OutputPath,
    testing::Values(PathCase{"/out", "/in/输入 文件.txt", "/out/输入 文件.txt"},
                    PathCase{"/out/", "/in/输入 文件.txt", "/out/输入 文件.txt"},
                    PathCase{"/out//", "/in/a.txt", "/out/a.txt"},
                    PathCase{"/", "/in/a.txt", "/a.txt"},
                    PathCase{"中文 目录/", "a.txt", "中文 目录/a.txt"},
                    PathCase{".", "sub/a.txt", "./a.txt"},
                    PathCase{"./", "/in/.hidden", "./.hidden"}));

// ---------------------------------------------------------------------------
// Converting a file onto itself, however its directory is spelled.

enum class Spelling
{
    Plain,
    TrailingSeparator,
    Dot,
    Symlink
};

using InPlace = ScratchTest<Spelling>;

TEST_P(InPlace, ReplacesTheInputWithItsConversion)
{
    const fs::path directory = scratch.subdirectory("就地");
    const fs::path input = directory / "文件.txt";
    writeBytes(input, fixture("wide.gb18030"));

    fs::path spelled = directory;
    std::optional<Restore> back;
    switch (GetParam()) {
    case Spelling::Plain:
        break;
    case Spelling::TrailingSeparator:
        spelled = directory.string() + "/";
        break;
    case Spelling::Dot:
        back.emplace([previous = fs::current_path()] { fs::current_path(previous); });
        fs::current_path(directory);
        spelled = ".";
        break;
    case Spelling::Symlink:
        spelled = scratch.path() / "链接";
        fs::create_directory_symlink(directory, spelled);
        break;
    }
    RunOptions options = runOptions("GB18030", "UTF-8", spelled);
    options.tuning.chunkSize = 5;
    const auto results = convertRun(runInputs({input}), options);

    ASSERT_EQ(results.at(0).outcome, Outcome::Converted) << results[0].message;
    EXPECT_EQ(readBytes(input), fixture("wide.utf-8"));
    EXPECT_EQ(namesIn(directory), std::vector<std::string>{"文件.txt"});
}

INSTANTIATE_TEST_SUITE_P(Spellings, InPlace,
                         testing::Values(Spelling::Plain, Spelling::TrailingSeparator,
                                         Spelling::Dot, Spelling::Symlink));

// ---------------------------------------------------------------------------

fs::path makeInput(const ScratchDirectory &scratch,
                   const std::string &bytes = "text \xE4\xB8\xAD\n")
{
    const fs::path input = scratch.path() / "输入.txt";
    writeBytes(input, bytes);
    return input;
}

FileResult convertTo(const fs::path &input, const fs::path &output)
{
    return convertFile(input, output, optionsFor("UTF-8", "GB18030"));
}

// A file that cannot be read, written (these with a message that names what
// failed) or converted fails and leaves every file and directory as it was.
// The scratch directory holds the input 输入.txt and an empty directory 目录
// to begin with.
struct FaultCase
{
    std::string label;
    Outcome outcome;
    std::string input;   // relative to the scratch directory
    std::string output;  // likewise
    std::string message; // how the message starts; "{}" stands for the scratch directory
    std::function<void(const fs::path &directory)> setUp = {};
    bool deniedToRoot = false;
};

using Fault = ScratchTest<FaultCase>;

TEST_P(Fault, ChangesNothing)
{
    const FaultCase &c = GetParam();
    if (c.deniedToRoot && ::geteuid() == 0)
        GTEST_SKIP() << "root is not denied";
    makeInput(scratch);
    scratch.subdirectory("目录");
    if (c.setUp)
        c.setUp(scratch.path());
    const auto before = snapshot(scratch.path());
    const FileResult result = convertTo(scratch.path() / c.input, scratch.path() / c.output);
    EXPECT_EQ(result.outcome, c.outcome);
    std::string message = c.message;
    if (const std::size_t at = message.find("{}"); at != std::string::npos)
        message.replace(at, 2, scratch.path().string());
    EXPECT_EQ(result.message.substr(0, message.size()), message) << result.message;
    EXPECT_EQ(snapshot(scratch.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Fault,
    testing::Values(FaultCase{"missing_output_directory", Outcome::CannotWrite, "输入.txt",
                              "不存在/out.txt", "cannot create the temporary file in {}/不存在: "},
                    FaultCase{"output_directory_is_a_file", Outcome::CannotWrite, "输入.txt",
                              "文件/out.txt", "cannot create the temporary file in {}/文件: ",
                              [](const fs::path &d) { writeBytes(d / "文件", "x"); }},
                    FaultCase{"read_only_output_directory", Outcome::CannotWrite, "输入.txt",
                              "目录/out.txt", "cannot create the temporary file in {}/目录: ",
                              [](const fs::path &d) {
                                  fs::permissions(d / "目录",
                                                  fs::perms::owner_read | fs::perms::owner_exec);
                              },
                              true},
                    FaultCase{"output_onto_a_directory", Outcome::CannotWrite, "输入.txt", "目录",
                              "cannot write {}/目录: Is a directory"},
                    FaultCase{"missing_input", Outcome::CannotRead, "没有.txt", "out.txt",
                              "cannot open {}/没有.txt: "},
                    FaultCase{"directory_input", Outcome::CannotRead, "目录", "out.txt",
                              "cannot read {}/目录: "},
                    // Refused without waiting for a writer.
                    FaultCase{"fifo_input", Outcome::CannotRead, "管道", "out.txt",
                              "cannot read {}/管道: not a regular file",
                              [](const fs::path &d) {
                                  ASSERT_EQ(::mkfifo((d / "管道").c_str(), 0600), 0);
                              }},
                    // A file of the system's, made up as it is read, claims to be empty.
                    FaultCase{"size_claimed_empty", Outcome::CannotRead, "系统.txt", "旧.txt",
                              "cannot read {}/系统.txt: its size is unknown",
                              [](const fs::path &d) {
                                  fs::create_symlink("/proc/version", d / "系统.txt");
                                  writeBytes(d / "旧.txt", "previous contents");
                              }},
                    FaultCase{"invalid_input_keeps_the_old_output", Outcome::InvalidSource,
                              "坏.txt", "旧.txt", "",
                              [](const fs::path &d) {
                                  writeBytes(d / "坏.txt", "good\nbad \xFF\n");
                                  writeBytes(d / "旧.txt", "previous contents");
                              }}),
    byLabel);

// A replaced file's mode is checked in test_file_safety.cpp (WhileWritten).
using NewFile = ScratchTest<mode_t>;

TEST_P(NewFile, GetsPermissionsFromTheUmask)
{
    const fs::path output = scratch.path() / "新.txt";
    const fs::path input = makeInput(scratch);
    const Restore mask{[previous = ::umask(GetParam())] { ::umask(previous); }};
    ASSERT_EQ(convertTo(input, output).outcome, Outcome::Converted);
    EXPECT_EQ(modeOf(output), 0666u & ~GetParam());
}

INSTANTIATE_TEST_SUITE_P(Umasks, NewFile, testing::Values<mode_t>(022, 027, 002));

// A write that fails half way (here: the file size limit, EFBIG) leaves no
// partial output. Runs in a child process so the limit stays there.
TEST(Files, WriteErrorMidFileLeavesNothingBehind)
{
    const ScratchDirectory scratch;
    const fs::path input = makeInput(scratch, std::string(64 * 1024, 'a') + "\n");
    const fs::path output = scratch.path() / "旧.txt";
    writeBytes(output, "old contents");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const FileResult result = convertFile(input, output, optionsFor("UTF-8", "UTF-16", 1024));
        ::_exit(result.message.empty() ? 100 : static_cast<int>(result.outcome));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(Outcome::CannotWrite));
    EXPECT_EQ(readBytes(output), "old contents");
    EXPECT_FALSE(hasTemporaryFile(scratch.path()));
}

// ---------------------------------------------------------------------------
// The start of a file is read once, for a look at it, and kept: reads that
// cross from the kept bytes into the rest of the file, in steps of every
// size, give back the file as it is.

struct ReadCase
{
    std::size_t head;  // bytes looked at first
    std::size_t start; // where reading starts
    std::size_t step;  // bytes asked for at a time
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << "head " << c.head << " start " << c.start << " step " << c.step;
}

using HeadThenRead = ScratchTest<ReadCase>;

TEST_P(HeadThenRead, GivesTheFileInOrder)
{
    const ReadCase &c = GetParam();
    std::string bytes(200'003, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    const fs::path file = scratch.path() / "读取.txt";
    writeBytes(file, bytes);
    InputFile input(file);
    ASSERT_EQ(input.start(c.head), bytes.substr(0, c.head));
    InputFile::Reader reader = input.from(c.start);
    std::string read;
    std::string buffer(c.step, '\0');
    while (const std::size_t count = reader.read(buffer.data(), buffer.size()))
        read.append(buffer, 0, count);
    EXPECT_EQ(read, bytes.substr(c.start));
    // A second, shorter look at the start after all that.
    EXPECT_EQ(input.start(4), bytes.substr(0, 4));
}

INSTANTIATE_TEST_SUITE_P(Steps, HeadThenRead,
                         testing::Values(ReadCase{65537, 0, 1}, ReadCase{65537, 0, 4096},
                                         ReadCase{65537, 0, 65536}, ReadCase{65537, 0, 65537},
                                         ReadCase{65537, 0, 65538}, ReadCase{65537, 0, 1 << 20},
                                         ReadCase{65537, 65536, 7}, ReadCase{65537, 65537, 4096},
                                         ReadCase{65537, 100000, 4096}, ReadCase{4, 0, 3},
                                         ReadCase{128 << 10, 3, 65536},
                                         ReadCase{128 << 10, 0, 100'000}));

TEST(EncodingName, IsKnownOrNot)
{
    for (const char *known :
         {"GB18030", "GBK", "GB2312", "Big5", "UTF-8", "UTF-16", "UTF-32", "UTF-7"})
        EXPECT_TRUE(isKnownEncoding(known)) << known;
    for (const std::string &unknown :
         {std::string(), std::string("no-such-encoding"), std::string("UTF-8\0junk", 10)})
        EXPECT_FALSE(isKnownEncoding(unknown)) << unknown;
}

// Names are resolved once, before a run: what the guards and the byte-order
// rules need is learnt there, whatever alias the user typed.
struct ResolveCase
{
    std::string label;
    std::string name;
    std::string family;
    bool markDecidesByteOrder;
    std::string sameAs; // an alias with the same canonical name
    bool canCarryMark = false;
};

using Resolve = testing::TestWithParam<ResolveCase>;

TEST_P(Resolve, LearnsWhatTheRunNeeds)
{
    const ResolveCase &c = GetParam();
    const Encoding encoding = resolveEncoding(c.name);
    EXPECT_EQ(encoding.name, c.name);
    EXPECT_EQ(encoding.family, c.family);
    EXPECT_EQ(encoding.markDecidesByteOrder, c.markDecidesByteOrder);
    EXPECT_EQ(encoding.canCarryMark, c.canCarryMark);
    // As a target, a mark by default exactly where it decides the byte order.
    EXPECT_EQ(encoding.writesMark, c.markDecidesByteOrder);
    EXPECT_EQ(encoding.canonical, resolveEncoding(c.sameAs).canonical);
    EXPECT_FALSE(encoding.detects());
}

INSTANTIATE_TEST_SUITE_P(
    Names, Resolve,
    testing::Values(ResolveCase{"gbk", "gbk", "GB18030", false, "GBK"},
                    ResolveCase{"gb2312", "gb2312", "GB18030", false, "GB2312"},
                    ResolveCase{"gb18030", "gb18030", "GB18030", false, "GB18030"},
                    ResolveCase{"big5", "big5", "Big5", false, "Big5"},
                    ResolveCase{"utf8", "utf8", "", false, "UTF-8", true},
                    ResolveCase{"utf16", "UTF-16", "", true, "utf-16", true},
                    ResolveCase{"utf32", "UTF-32", "", true, "utf-32", true},
                    ResolveCase{"utf16le", "UTF-16LE", "", false, "utf-16le", true},
                    ResolveCase{"utf32be", "UTF-32BE", "", false, "utf-32be", true},
                    ResolveCase{"utf7", "UTF-7", "", false, "utf-7"}),
    byLabel);

// What --list shows: every encoding ICU knows resolves, and each name's
// list starts with the canonical name its aliases share.
TEST(Resolve, KnownEncodingsAndTheirNames)
{
    const std::vector<std::string> known = knownEncodings();
    EXPECT_GT(known.size(), 100u);
    for (const std::string &name : known)
        EXPECT_TRUE(isKnownEncoding(name)) << name;
    for (const std::string name : {"gbk", "utf16", "UTF-16BE,version=1", "big5"}) {
        const std::vector<std::string> names = namesOf(name);
        ASSERT_FALSE(names.empty()) << name;
        EXPECT_EQ(names.front(), resolveEncoding(name).canonical) << name;
    }
    const std::vector<std::string> cp936 = namesOf("CP936");
    EXPECT_NE(std::find(cp936.begin(), cp936.end(), "GBK"), cp936.end());
    EXPECT_TRUE(namesOf("Klingon").empty());
}

TEST(Resolve, RefusesWhatIcuDoesNotKnow)
{
    for (const std::string &unknown : {std::string("Klingon"), std::string(),
                                       std::string("UTF-8\0junk", 10), std::string("Detect")}) {
        try {
            resolveSource(unknown);
            ADD_FAILURE() << "resolved " << unknown;
        } catch (const UnknownEncoding &error) {
            EXPECT_EQ(error.name(), unknown);
        }
    }
    // "detect" is a source, not an encoding.
    EXPECT_TRUE(resolveSource(kDetectEncoding).detects());
    EXPECT_THROW(resolveEncoding(kDetectEncoding), UnknownEncoding);
}

} // namespace
} // namespace velloran::test
