#include "files/file_system.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace velloran::files {

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

// Windows keeps modification times to 100 ns, _fstat64 hands out seconds.
int stampOf(int fd, FileStamp &stamp)
{
    struct _stat64 status
    {
    };
    if (_fstat64(fd, &status) != 0)
        return -1;
    const auto type = status.st_mode & _S_IFMT;
    stamp.kind = type == _S_IFREG   ? FileKind::Regular
                 : type == _S_IFDIR ? FileKind::Directory
                                    : FileKind::Other;
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.modified = static_cast<std::int64_t>(status.st_mtime) * 1'000'000'000;
    return 0;
}

long long readSome(int fd, char *buffer, std::size_t capacity)
{
    return _read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(capacity, INT_MAX)));
}

long long seekTo(int fd, std::uint64_t offset)
{
    return _lseeki64(fd, static_cast<long long>(offset), SEEK_SET);
}

// Windows has no pread: seek there, read, and seek back.
long long readAt(int fd, char *buffer, std::size_t capacity, std::uint64_t offset)
{
    const long long position = _telli64(fd);
    if (position < 0 || seekTo(fd, offset) < 0)
        return -1;
    const long long count = readSome(fd, buffer, capacity);
    const int readError = errno;
    if (_lseeki64(fd, position, SEEK_SET) < 0)
        return -1;
    errno = readError;
    return count;
}

long long writeSome(int fd, const char *bytes, std::size_t count)
{
    return _write(fd, bytes, static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX)));
}

int closeFile(int fd)
{
    return _close(fd);
}

} // namespace velloran::files
