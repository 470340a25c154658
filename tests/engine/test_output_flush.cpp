// SPDX-License-Identifier: GPL-3.0-or-later
// How the output reaches the disk: flushed exactly when it replaces a file,
// always created next to its final name (never in $TMPDIR), nothing left
// when the disk fills up, and the named temporary file used where unnamed
// ones are refused.
#include "files/atomic_output_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {
std::atomic<int> fsyncCalls{0};
} // namespace

// Every fsync() of this test program, the engine's included, is counted here
// on its way to the C library's.
extern "C" int fsync(int fd)
{
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    ++fsyncCalls;
    return real(fd);
}

namespace velloran::test {
namespace {

ConvertOptions options()
{
    return optionsFor("UTF-8", "GB18030");
}

struct FlushCase
{
    std::string label;
    bool existing;
    bool inPlace;
    int flushes;
};

using OutputFlush = ScratchTest<FlushCase>;

// A new name replaces nothing, so skipping the flush risks no data.
TEST_P(OutputFlush, HappensOnlyWhenAFileIsReplaced)
{
    const FlushCase &c = GetParam();
    const fs::path input = scratch.path() / "输入.txt";
    writeBytes(input, "中文\n");
    const fs::path output = c.inPlace ? input : scratch.path() / "输出.txt";
    if (c.existing && !c.inPlace)
        writeBytes(output, "old");
    const int before = fsyncCalls;
    ASSERT_EQ(convertFile(input, output, options()).outcome, Outcome::Converted);
    EXPECT_EQ(fsyncCalls - before, c.flushes);
    EXPECT_EQ(readBytes(output), "\xD6\xD0\xCE\xC4\n");
    EXPECT_FALSE(hasTemporaryFile(scratch.path()));
}

INSTANTIATE_TEST_SUITE_P(Outputs, OutputFlush,
                         testing::Values(FlushCase{"new_name", false, false, 0},
                                         FlushCase{"replacing", true, false, 1},
                                         FlushCase{"in_place", true, true, 1}),
                         byLabel);

// ---------------------------------------------------------------------------

using ElsewhereTmpdir = ScratchTest<bool>;

// Output on another file system than the input, with $TMPDIR missing or on
// a third one: the temporary file must live next to the output.
TEST_P(ElsewhereTmpdir, OutputOnAnotherFileSystemIsWritten)
{
    const bool tmpdirExists = GetParam();
    if (!fs::is_directory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm here";
    const ScratchDirectory other("/dev/shm"); // a file system of its own
    const fs::path input = scratch.path() / "输入.txt";
    writeBytes(input, "中文\n");
    const fs::path tmpdir = tmpdirExists ? scratch.subdirectory("临时") : scratch.path() / "没有";
    const char *previous = std::getenv("TMPDIR");
    const Restore environment{[saved = std::string(previous ? previous : ""), previous] {
        previous ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
    }};
    ::setenv("TMPDIR", tmpdir.c_str(), 1);

    for (const bool replacing : {false, true}) {
        const FileResult result = convertFile(input, other.path() / "输出.txt", options());
        EXPECT_EQ(result.outcome, Outcome::Converted) << replacing << ": " << result.message;
    }
    EXPECT_EQ(namesIn(other.path()), std::vector<std::string>{"输出.txt"});
    if (tmpdirExists) {
        EXPECT_TRUE(namesIn(tmpdir).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(TmpdirExists, ElsewhereTmpdir, testing::Bool());

// ---------------------------------------------------------------------------

using FullDisk = ScratchTest<bool>;

// A real tmpfs of 64 KiB, too small for the output.
TEST_P(FullDisk, FailsAsUnwritableAndLeavesNothing)
{
    const bool replacing = GetParam();
    const fs::path small = scratch.subdirectory("小盘");
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
    const Restore unmount{[&] { ::umount2(small.c_str(), MNT_DETACH); }};
    const fs::path input = scratch.path() / "输入.txt";
    writeBytes(input, repeated("中文 text\n", 100'000));
    const fs::path output = small / "输出.txt";
    if (replacing)
        writeBytes(output, "old");
    const auto before = snapshot(small);

    const FileResult result = convertFile(input, output, options());
    EXPECT_EQ(result.outcome, Outcome::CannotWrite);
    EXPECT_EQ(result.message, "cannot write " + output.string() + ": No space left on device");
    EXPECT_EQ(snapshot(small), before);
}

INSTANTIATE_TEST_SUITE_P(NewOrReplacing, FullDisk, testing::Bool());

// ---------------------------------------------------------------------------

using NamedTemporary = ScratchTest<bool>;

TEST_P(NamedTemporary, IsRemovedOrMovedIntoPlaceWithTheReplacedMode)
{
    const bool replacing = GetParam();
    const fs::path path = scratch.path() / "文件.txt";
    const std::vector<std::string> before =
        replacing ? std::vector<std::string>{"文件.txt"} : std::vector<std::string>{};
    if (replacing) {
        writeBytes(path, "old");
        fs::permissions(path, fs::perms(0640));
    }
    {
        AtomicOutputFile abandoned(path, files::Naming::Named);
        abandoned.write("lost", 4);
        EXPECT_TRUE(hasTemporaryFile(scratch.path()));
    }
    EXPECT_EQ(namesIn(scratch.path()), before);

    AtomicOutputFile output(path, files::Naming::Named);
    output.write("new", 3);
    const std::vector<std::string> names = namesIn(scratch.path());
    const auto temporary = std::find_if(names.begin(), names.end(), [](const std::string &name) {
        return name.rfind(".velloran-", 0) == 0;
    });
    ASSERT_NE(temporary, names.end());
    if (replacing) {
        EXPECT_EQ(fs::status(scratch.path() / *temporary).permissions(), fs::perms(0640));
    }
    EXPECT_EQ(output.commit(), replacing);
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(namesIn(scratch.path()), std::vector<std::string>{"文件.txt"});
}

INSTANTIATE_TEST_SUITE_P(NewOrReplacing, NamedTemporary, testing::Bool());

} // namespace
} // namespace velloran::test
