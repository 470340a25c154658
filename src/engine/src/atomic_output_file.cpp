#include "atomic_output_file.h"

#include "file_error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace velloran {

namespace {

[[noreturn]] void throwWriteError(int errorNumber)
{
    throw FileError(Outcome::CannotWrite, errorNumber);
}

// The random part of a temporary name, like mkstemp's XXXXXX.
std::string randomSuffix()
{
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string suffix(6, ' ');
    for (char &c : suffix)
        c = kAlphabet[pick(generator)];
    return suffix;
}

std::filesystem::path temporaryPathFor(const std::filesystem::path &finalPath)
{
    std::filesystem::path name = ".";
    name += finalPath.filename();
    name += ".velloran-" + randomSuffix();
    return finalPath.parent_path() / name;
}

#ifdef _WIN32
int createExclusive(const std::filesystem::path &path)
{
    int fd = -1;
    const errno_t error =
        _wsopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (error != 0)
        errno = error;
    return fd;
}

long long writeSome(int fd, const char *bytes, std::size_t count)
{
    return _write(fd, bytes, static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX)));
}

// Windows files carry no permission bits beyond read-only, which a new file
// does not need. True when a file exists under the final name.
bool copyPermissionsOfExisting(int, const std::filesystem::path &finalPath)
{
    return GetFileAttributesW(finalPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int flushToDisk(int fd)
{
    return _commit(fd);
}
int closeFile(int fd)
{
    return _close(fd);
}
void removeFile(const std::filesystem::path &path)
{
    _wunlink(path.c_str());
}

void moveOnto(const std::filesystem::path &from, const std::filesystem::path &to)
{
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw FileError(Outcome::CannotWrite,
                        "cannot replace the file (error " + std::to_string(GetLastError()) + ")");
}
#else
// Mode 0666 lets the umask (and default ACLs) shape the permissions exactly as
// for any new file, which mkstemp's fixed 0600 would not.
int createExclusive(const std::filesystem::path &path)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

long long writeSome(int fd, const char *bytes, std::size_t count)
{
    return ::write(fd, bytes, std::min<std::size_t>(count, SSIZE_MAX));
}

// True when a file exists under the final name.
bool copyPermissionsOfExisting(int fd, const std::filesystem::path &finalPath)
{
    struct stat existing
    {
    };
    if (::stat(finalPath.c_str(), &existing) != 0)
        return false;
    if (::fchmod(fd, existing.st_mode & 07777) != 0)
        throwWriteError(errno);
    return true;
}

int flushToDisk(int fd)
{
    return ::fsync(fd);
}
int closeFile(int fd)
{
    return ::close(fd);
}
void removeFile(const std::filesystem::path &path)
{
    ::unlink(path.c_str());
}

void moveOnto(const std::filesystem::path &from, const std::filesystem::path &to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        throwWriteError(errno);
}
#endif

} // namespace

AtomicOutputFile::AtomicOutputFile(std::filesystem::path finalPath)
    : m_finalPath(std::move(finalPath))
{
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts && m_fd < 0; ++attempt) {
        m_temporaryPath = temporaryPathFor(m_finalPath);
        m_fd = createExclusive(m_temporaryPath);
        if (m_fd < 0 && errno != EEXIST)
            throwWriteError(errno);
    }
    if (m_fd < 0)
        throwWriteError(EEXIST);
}

AtomicOutputFile::~AtomicOutputFile()
{
    discard();
}

void AtomicOutputFile::write(const char *bytes, std::size_t count)
{
    while (count > 0) {
        const long long written = writeSome(m_fd, bytes, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            throwWriteError(errno);
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
}

// The flush protects the file being replaced: without it, a crash of the
// system soon after the rename could leave neither the old text nor the new
// one. A new name replaces nothing, so nothing can be lost there, and the
// flush (most of the time of a small file) is skipped; the program's own
// interruption still leaves no partial output, since the rename comes last.
bool AtomicOutputFile::commit()
{
    try {
        const bool replacing = copyPermissionsOfExisting(m_fd, m_finalPath);
        if (replacing && flushToDisk(m_fd) != 0)
            throwWriteError(errno);
        const int fd = m_fd;
        m_fd = -1;
        // close() can report a deferred write error (NFS, quotas).
        if (closeFile(fd) != 0)
            throwWriteError(errno);
        moveOnto(m_temporaryPath, m_finalPath);
        m_temporaryPath.clear();
        return replacing;
    } catch (...) {
        discard();
        throw;
    }
}

void AtomicOutputFile::discard()
{
    if (m_fd >= 0)
        closeFile(m_fd);
    m_fd = -1;
    if (!m_temporaryPath.empty())
        removeFile(m_temporaryPath);
    m_temporaryPath.clear();
}

} // namespace velloran
