// SPDX-License-Identifier: GPL-3.0-or-later
// On Linux the temporary file is created without a name (O_TMPFILE), so that
// nothing is left behind however the program ends, and linked into place
// when complete. Where the file system refuses that, and on other POSIX
// systems, it is a hidden file named ".velloran-" and ten random characters.
#include "files/temporary_file.h"

#include "files/file_error.h"
#include "files/file_system.h"
#include "files/replaced_file_posix.h"
#include "files/retry_on_interrupt.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velloran::files {

namespace {

#ifdef O_TMPFILE
std::string descriptorPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

// An unnamed file gets its name through /proc/self/fd, which needs no
// privilege (linkat's AT_EMPTY_PATH does). Without /proc it could never get
// one, so it is not made.
bool canNameUnnamedFiles()
{
    static const bool available = ::access("/proc/self/fd", X_OK) == 0;
    return available;
}

int createUnnamed(const std::filesystem::path &directory, mode_t mode)
{
    if (!canNameUnnamedFiles())
        return -1;
    const int fd = retryOnInterrupt(
        [&] { return ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode); });
    // Refused by the file system (EOPNOTSUPP) or unknown to an old kernel.
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
        return -1;
    if (fd < 0)
        failToWrite("cannot create the temporary file in " + directory.string(), errno);
    return fd;
}

// AT_EMPTY_PATH skips the walk through /proc; Linux allows it to root, and
// since 6.10 to anyone for a file they opened themselves.
int linkUnnamed(int fd, const std::filesystem::path &name)
{
    static std::atomic<bool> emptyPathRefused{false};
    if (!emptyPathRefused.load(std::memory_order_relaxed)) {
        if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != EPERM && errno != ENOENT && errno != EINVAL)
            return -1;
        emptyPathRefused = true;
    }
    return ::linkat(AT_FDCWD, descriptorPath(fd).c_str(), AT_FDCWD, name.c_str(),
                    AT_SYMLINK_FOLLOW);
}

// A new name is linked straight into place. link() cannot replace a file,
// so an existing one is replaced in two steps: the file gets a temporary name
// and rename() moves it over the final name in one step.
void linkIntoPlace(TemporaryFile &file, const std::filesystem::path &finalPath)
{
    const std::string operation = "cannot link the temporary file to " + finalPath.string();
    if (!file.replacing) {
        if (linkUnnamed(file.fd, finalPath) == 0) {
            file.name = finalPath;
            return;
        }
        // EEXIST: a file appeared under the name meanwhile.
        if (errno != EEXIST)
            failToWrite(operation, errno);
    }
    const auto linkAs = [&](const std::filesystem::path &name) {
        return linkUnnamed(file.fd, name);
    };
    file.name = freeName(directoryOf(finalPath), linkAs, operation);
}
#else
// Never called: no file is unnamed here.
int createUnnamed(const std::filesystem::path &, mode_t)
{
    return -1;
}

void linkIntoPlace(TemporaryFile &, const std::filesystem::path &) {}
#endif

int createNamed(const std::filesystem::path &directory, mode_t mode, std::filesystem::path &name)
{
    int fd = -1;
    name = freeName(
        directory,
        [&](const std::filesystem::path &candidate) {
            fd = retryOnInterrupt([&] {
                return ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            });
            return fd < 0 ? -1 : 0;
        },
        "cannot create the temporary file in " + directory.string());
    return fd;
}

} // namespace

// A file that replaces another is created for its owner alone and takes over
// the other's metadata before any text is written. A new file is created
// with mode 0666, so that the umask (and default ACLs) shape its permissions
// exactly as for any new file.
TemporaryFile createTemporaryFor(const std::filesystem::path &finalPath, Naming naming)
{
    const std::filesystem::path directory = directoryOf(finalPath);
    struct stat existing
    {
    };
    TemporaryFile file;
    file.replacing = ::stat(finalPath.c_str(), &existing) == 0;
    const mode_t mode = file.replacing ? 0600 : 0666;
    if (naming == Naming::UnnamedWherePossible)
        file.fd = createUnnamed(directory, mode);
    if (file.fd < 0)
        file.fd = createNamed(directory, mode, file.name);
    try {
        if (file.replacing)
            file.modeAfterWriting = takeOverMetadata(file.fd, finalPath, existing);
    } catch (...) {
        discard(file);
        throw;
    }
    return file;
}

void finishReplacement(const TemporaryFile &file, const std::filesystem::path &finalPath)
{
    if (file.modeAfterWriting != 0 && ::fchmod(file.fd, file.modeAfterWriting) != 0)
        failToWrite("cannot set the permissions of the new " + finalPath.string(), errno);
    if (retryOnInterrupt([&] { return ::fsync(file.fd); }) != 0)
        failToWrite("cannot flush the new " + finalPath.string() + " to disk", errno);
}

void moveIntoPlace(TemporaryFile &file, const std::filesystem::path &finalPath)
{
    if (file.name.empty())
        linkIntoPlace(file, finalPath);
    // close() can report a deferred write error (NFS, quotas).
    const int fd = file.fd;
    file.fd = -1;
    if (closeFile(fd) != 0) {
        const int error = errno;
        discard(file);
        failToWrite("cannot write " + finalPath.string(), error);
    }
    if (file.name == finalPath) {
        file.name.clear();
        return;
    }
    if (::rename(file.name.c_str(), finalPath.c_str()) != 0)
        failToWrite("cannot write " + finalPath.string(), errno); // the temporary name is ours
    file.name.clear();
}

} // namespace velloran::files
