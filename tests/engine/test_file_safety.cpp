// SPDX-License-Identifier: GPL-3.0-or-later
// What the output file promises beyond its bytes: who may read it while it
// is written, whose it is afterwards, what a kill leaves behind, names at the
// length limit, and inputs that change while they are converted.
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace velloran::test {
namespace {

constexpr uid_t kNobody = 65534;

struct stat statusOf(const fs::path &path)
{
    struct stat status = {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status;
}

std::optional<std::string> attribute(const fs::path &path, const char *name)
{
    std::string value(4096, '\0');
    const ssize_t size = ::getxattr(path.c_str(), name, value.data(), value.size());
    if (size < 0)
        return std::nullopt;
    value.resize(static_cast<std::size_t>(size));
    return value;
}

// The mode of the file that this process is writing in `directory`: the
// temporary output, found among the process's open files whatever its name.
std::optional<unsigned> modeOfFileBeingWritten(const fs::path &directory)
{
    for (const auto &entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const fs::path target = fs::read_symlink(entry.path(), error);
        struct stat status = {};
        if (!error && target.parent_path() == directory &&
            ::stat(entry.path().c_str(), &status) == 0)
            return status.st_mode & 07777;
    }
    return std::nullopt;
}

class FileSafety : public testing::Test
{
protected:
    FileSafety() : in(scratch.subdirectory("输入")), out(scratch.subdirectory("输出")) {}

    // An input long enough for many chunks of `kChunk` bytes.
    fs::path makeInput(const std::string &name = "文本.txt")
    {
        const fs::path input = in / name;
        writeBytes(input, repeated("第一行 text\n", 400));
        return input;
    }

    static ConvertOptions options() { return optionsFor("UTF-8", "GB18030", kChunk); }

    static constexpr std::size_t kChunk = 64;
    ScratchDirectory scratch;
    const fs::path in;
    const fs::path out;
};

// ---------------------------------------------------------------------------

class WhileWritten : public FileSafety, public testing::WithParamInterface<mode_t>
{
};

// Under umask 022 a new file would be 0644: a private file's replacement
// must not be readable by others even while it is written, and afterwards
// it keeps the mode it had: execute, setgid and private modes included.
TEST_P(WhileWritten, IsOnlyAsAccessibleAsTheReplacedFile)
{
    const Restore mask{[previous = ::umask(022)] { ::umask(previous); }};
    const fs::path output = out / "旧.txt";
    writeBytes(output, "old");
    ASSERT_EQ(::chmod(output.c_str(), GetParam()), 0);
    std::optional<unsigned> seen;
    ConvertOptions adjusted = options();
    adjusted.onBytes = [&](std::uint64_t, std::uint64_t) {
        if (!seen)
            seen = modeOfFileBeingWritten(out);
    };
    ASSERT_EQ(convertFile(makeInput(), output, adjusted).outcome, Outcome::Converted);
    ASSERT_TRUE(seen.has_value()) << "no file being written was found";
    // The setgid bit comes only once the file is complete.
    EXPECT_EQ(*seen, GetParam() & 0777u);
    EXPECT_EQ(modeOf(output), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Modes, WhileWritten,
                         testing::Values<mode_t>(0600, 0604, 0640, 0755, 02755));

// ---------------------------------------------------------------------------

// The binary form of a POSIX ACL: user::rw-, user:nobody:r--, group::r--,
// mask::r--, other::---.
std::string accessAcl()
{
    std::string acl;
    const auto add32 = [&](std::uint32_t value) {
        acl.append(reinterpret_cast<char *>(&value), 4);
    };
    const auto entry = [&](std::uint16_t tag, std::uint16_t permissions, std::uint32_t id) {
        acl.append(reinterpret_cast<char *>(&tag), 2);
        acl.append(reinterpret_cast<char *>(&permissions), 2);
        add32(id);
    };
    constexpr std::uint32_t kNoId = 0xFFFFFFFF;
    add32(2);
    entry(0x01, 6, kNoId);
    entry(0x02, 4, kNobody);
    entry(0x04, 4, kNoId);
    entry(0x10, 4, kNoId);
    entry(0x20, 0, kNoId);
    return acl;
}

TEST_F(FileSafety, ReplacedFileKeepsItsExtendedAttributesAndAcl)
{
    const fs::path output = out / "旧.txt";
    writeBytes(output, "old");
    ASSERT_EQ(::chmod(output.c_str(), 0640), 0);
    const std::string acl = accessAcl();
    const std::string value = "测试值";
    if (::setxattr(output.c_str(), "user.来源", value.data(), value.size(), 0) != 0 ||
        ::setxattr(output.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
        GTEST_SKIP() << "the file system here takes no user attributes or ACLs";

    ASSERT_EQ(convertFile(makeInput(), output, options()).outcome, Outcome::Converted);
    EXPECT_EQ(attribute(output, "user.来源"), value);
    EXPECT_EQ(attribute(output, "system.posix_acl_access"), acl);
    EXPECT_EQ(modeOf(output), 0640u);
}

// A folder whose default ACL a new file takes: the replacement of a file
// that had no ACL must not gain one (it would change who may read it).
TEST_F(FileSafety, ReplacedFileGainsNoAclFromItsFolder)
{
    const fs::path output = out / "旧.txt";
    writeBytes(output, "old");
    ASSERT_EQ(::chmod(output.c_str(), 0640), 0);
    const std::string acl = accessAcl();
    if (::setxattr(out.c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0)
        GTEST_SKIP() << "the file system here takes no default ACLs";

    ASSERT_EQ(convertFile(makeInput(), output, options()).outcome, Outcome::Converted);
    EXPECT_EQ(attribute(output, "system.posix_acl_access"), std::nullopt);
    EXPECT_EQ(modeOf(output), 0640u);
}

struct Owner
{
    uid_t user;
    gid_t group;
    mode_t mode;
    bool inPlace;
};

void PrintTo(const Owner &o, std::ostream *os)
{
    *os << o.user << ":" << o.group << " " << std::oct << o.mode << (o.inPlace ? " in place" : "");
}

class Owned : public FileSafety, public testing::WithParamInterface<Owner>
{
};

// Root may give a file any owner and group, so the replacement keeps both,
// and with them setuid and setgid.
TEST_P(Owned, RootKeepsTheOwnerAndGroupOfTheReplacedFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give files to another user";
    const Owner &owner = GetParam();
    const fs::path output = owner.inPlace ? makeInput() : out / "旧.txt";
    if (!owner.inPlace)
        writeBytes(output, "old");
    ASSERT_EQ(::chown(output.c_str(), owner.user, owner.group), 0);
    ASSERT_EQ(::chmod(output.c_str(), owner.mode), 0);

    const fs::path input = owner.inPlace ? output : makeInput();
    ASSERT_EQ(convertFile(input, output, options()).outcome, Outcome::Converted);
    const struct stat status = statusOf(output);
    EXPECT_EQ(status.st_uid, owner.user);
    EXPECT_EQ(status.st_gid, owner.group);
    EXPECT_EQ(status.st_mode & 07777, owner.mode);
}

INSTANTIATE_TEST_SUITE_P(Root, Owned,
                         testing::Values(Owner{kNobody, kNobody, 04755, false},
                                         Owner{0, kNobody, 02755, true}));

// Another user replacing root's setuid file cannot keep root as its owner:
// the new file is theirs, and so must not be setuid or setgid.
TEST_F(FileSafety, FileWhoseOwnerChangesLosesSetuidAndSetgid)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    const fs::path input = makeInput();
    const fs::path output = out / "旧.txt";
    writeBytes(output, "old");
    ASSERT_EQ(::chmod(output.c_str(), 06755), 0);
    for (const fs::path &directory : {scratch.path().parent_path(), scratch.path(), in, out})
        fs::permissions(directory, fs::perms::all);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(100);
        ::_exit(static_cast<int>(convertFile(input, output, options()).outcome));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), static_cast<int>(Outcome::Converted));
    const struct stat replaced = statusOf(output);
    EXPECT_EQ(replaced.st_uid, kNobody);
    EXPECT_EQ(replaced.st_mode & 07777, 0755u);
}

// ---------------------------------------------------------------------------

class LongName : public FileSafety, public testing::WithParamInterface<std::size_t>
{
};

// A name of exactly `bytes` bytes, mostly Chinese, ending in ".txt".
std::string nameOfLength(std::size_t bytes)
{
    std::string name;
    while (name.size() + 3 + 4 <= bytes)
        name += "文";
    name += std::string(bytes - 4 - name.size(), 'a');
    return name + ".txt";
}

TEST_P(LongName, ConvertsAsNewFileAndAsReplacement)
{
    const std::string name = nameOfLength(GetParam());
    ASSERT_EQ(name.size(), GetParam());
    const fs::path input = makeInput(name);
    for (const char *round : {"new", "replacing"}) {
        const FileResult result = convertFile(input, out / name, options());
        EXPECT_EQ(result.outcome, Outcome::Converted) << round << ": " << result.message;
    }
    EXPECT_EQ(namesIn(out), std::vector<std::string>{name});
}

INSTANTIATE_TEST_SUITE_P(Bytes, LongName, testing::Values<std::size_t>(238, 239, 247, 255));

// ---------------------------------------------------------------------------

class Killed : public FileSafety, public testing::WithParamInterface<bool>
{
};

// A conversion killed half way, whether it was to create a file or to
// replace one, leaves the output directory exactly as it was.
TEST_P(Killed, LeavesNothingBehind)
{
    const bool replacing = GetParam();
    const fs::path input = makeInput();
    const fs::path output = out / "旧.txt";
    if (replacing)
        writeBytes(output, "old");
    const auto before = snapshot(out);
    int halfWay[2];
    ASSERT_EQ(::pipe(halfWay), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ConvertOptions adjusted = options();
        adjusted.onBytes = [&](std::uint64_t, std::uint64_t) {
            if (::write(halfWay[1], "x", 1) == 1)
                for (;;)
                    ::pause();
        };
        static_cast<void>(convertFile(input, output, adjusted)); // killed before it returns
        ::_exit(0);
    }
    ::close(halfWay[1]);
    char signal = 0;
    const ssize_t got = ::read(halfWay[0], &signal, 1);
    ::close(halfWay[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(got, 1) << "the child never got half way";
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(snapshot(out), before);
}

INSTANTIATE_TEST_SUITE_P(NewOrReplacing, Killed, testing::Bool());

// ---------------------------------------------------------------------------

struct ChangeCase
{
    std::string label;
    std::function<void(const fs::path &input)> change;
};

class ChangingInput : public FileSafety, public testing::WithParamInterface<ChangeCase>
{
};

// The file changes after the first chunk was converted; whatever was
// converted is thrown away and the old output stays.
TEST_P(ChangingInput, FailsAsUnreadableAndWritesNothing)
{
    const fs::path input = makeInput();
    const fs::path output = out / "旧.txt";
    writeBytes(output, "old");
    const auto before = snapshot(out);
    bool changed = false;
    ConvertOptions adjusted = options();
    adjusted.onBytes = [&](std::uint64_t, std::uint64_t) {
        if (!std::exchange(changed, true))
            GetParam().change(input);
    };
    const FileResult result = convertFile(input, output, adjusted);
    EXPECT_EQ(result.outcome, Outcome::CannotRead);
    EXPECT_EQ(result.message, "the file changed while it was being converted");
    EXPECT_EQ(snapshot(out), before);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangingInput,
    testing::Values(ChangeCase{"grows",
                               [](const fs::path &input) {
                                   writeBytes(input, readBytes(input) + repeated("更多\n", 1000));
                               }},
                    ChangeCase{"shrinks",
                               [](const fs::path &input) { fs::resize_file(input, 100); }},
                    ChangeCase{"rewritten_same_size",
                               [](const fs::path &input) {
                                   std::string text = readBytes(input);
                                   text.back() = ' ';
                                   writeBytes(input, text);
                                   fs::last_write_time(input, fs::last_write_time(input) +
                                                                  std::chrono::seconds(5));
                               }}),
    byLabel);

} // namespace
} // namespace velloran::test
