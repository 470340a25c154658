#include "input_file.h"

#include "file_error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace velloran {

namespace {

[[noreturn]] void throwReadError(int errorNumber)
{
    throw FileError(Outcome::CannotRead, errorNumber);
}

#ifdef _WIN32
// FILE_SHARE_DELETE lets the output replace this very file while it is open.
int openForReading(const std::filesystem::path &path)
{
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        CloseHandle(handle);
    return fd;
}

std::uint64_t regularFileSize(int fd)
{
    struct _stat64 status
    {
    };
    if (_fstat64(fd, &status) != 0)
        throwReadError(errno);
    if ((status.st_mode & _S_IFMT) == _S_IFDIR)
        throwReadError(EISDIR);
    if ((status.st_mode & _S_IFMT) != _S_IFREG)
        throw FileError(Outcome::CannotRead, "not a regular file");
    return static_cast<std::uint64_t>(status.st_size);
}

long long readSome(int fd, char *buffer, std::size_t capacity)
{
    return _read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(capacity, INT_MAX)));
}

long long seekTo(int fd, std::uint64_t offset)
{
    return _lseeki64(fd, static_cast<long long>(offset), SEEK_SET);
}

long long readAt(int fd, char *buffer, std::size_t capacity, std::uint64_t offset)
{
    if (seekTo(fd, offset) < 0)
        return -1;
    return readSome(fd, buffer, capacity);
}

void closeFile(int fd)
{
    _close(fd);
}
#else
// O_NONBLOCK keeps open() from waiting for a writer when the path is a FIFO;
// it does not affect reads from the regular files that get past the check.
int openForReading(const std::filesystem::path &path)
{
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

std::uint64_t regularFileSize(int fd)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0)
        throwReadError(errno);
    if (S_ISDIR(status.st_mode))
        throwReadError(EISDIR);
    if (!S_ISREG(status.st_mode))
        throw FileError(Outcome::CannotRead, "not a regular file");
    return static_cast<std::uint64_t>(status.st_size);
}

long long readSome(int fd, char *buffer, std::size_t capacity)
{
    return ::read(fd, buffer, std::min<std::size_t>(capacity, SSIZE_MAX));
}

long long seekTo(int fd, std::uint64_t offset)
{
    return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET);
}

// Leaves the file position alone: one system call where seek, read and seek
// back would take three, which counts for batches of small files.
long long readAt(int fd, char *buffer, std::size_t capacity, std::uint64_t offset)
{
    return ::pread(fd, buffer, std::min<std::size_t>(capacity, SSIZE_MAX),
                   static_cast<off_t>(offset));
}

void closeFile(int fd)
{
    ::close(fd);
}
#endif

} // namespace

InputFile::InputFile(const std::filesystem::path &path) : m_fd(openForReading(path))
{
    if (m_fd < 0)
        throwReadError(errno);
    try {
        m_size = regularFileSize(m_fd);
    } catch (...) {
        closeFile(m_fd);
        throw;
    }
}

InputFile::~InputFile()
{
    closeFile(m_fd);
}

std::size_t InputFile::read(char *buffer, std::size_t capacity)
{
    for (;;) {
        const long long count = readSome(m_fd, buffer, capacity);
        if (count >= 0) {
            m_position += static_cast<std::uint64_t>(count);
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR)
            throwReadError(errno);
    }
}

std::size_t InputFile::readHead(char *buffer, std::size_t capacity)
{
#ifdef _WIN32
    const std::uint64_t position = m_position;
#endif
    std::size_t filled = 0;
    for (;;) {
        const long long count = readAt(m_fd, buffer + filled, capacity - filled, filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throwReadError(errno);
        filled += static_cast<std::size_t>(count);
        if (count == 0 || filled == capacity)
            break;
    }
#ifdef _WIN32
    // Windows has no pread; its stand-in moves the file position.
    seek(position);
#endif
    return filled;
}

void InputFile::seek(std::uint64_t offset)
{
    if (seekTo(m_fd, offset) < 0)
        throwReadError(errno);
    m_position = offset;
}

} // namespace velloran
