// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: a file is opened and stamped through its handle (CreateFileW,
// GetFileInformationByHandle), which tell what the C runtime does not, and
// read and written through the C runtime's descriptor that owns the handle,
// which is what the engine holds.
#include "files/file_system.h"

#include "files/error_number_windows.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace velloran::files {

namespace {

int failWithLastError()
{
    errno = errorNumberOf(::GetLastError());
    return -1;
}

// FILETIME counts 100 ns from 1601-01-01, the stamp nanoseconds from 1970-01-01.
constexpr std::int64_t kUnixEpochInFileTime = 116'444'736'000'000'000;

std::int64_t nanosecondsSinceEpoch(const FILETIME &time)
{
    const std::uint64_t ticks = (std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (static_cast<std::int64_t>(ticks) - kUnixEpochInFileTime) * 100;
}

} // namespace

// Sharing everything, FILE_SHARE_DELETE above all, lets the output replace
// this very file while it is open. Backup semantics let a directory open too,
// so that it is refused as a directory (EISDIR) once stamped, as on POSIX,
// instead of failing to open with "access denied"; they bypass permissions
// only for a process that enabled the backup privilege, which this one never
// does. A pipe or a device opens without waiting, and is refused once stamped
// as not a regular file. No security attributes: the handle is not inherited.
int openForReading(const std::filesystem::path &path)
{
    HANDLE handle = ::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failWithLastError();
    // The descriptor owns the handle from here; when there is none (EMFILE),
    // the handle is closed here.
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        const int error = errno;
        ::CloseHandle(handle);
        errno = error;
    }
    return fd;
}

// From the handle: the C runtime's _fstat64 rounds the modification time to
// seconds, which a file rewritten within the second would pass unnoticed, and
// says little of what a handle other than a disk file's is.
int stampOf(int fd, FileStamp &stamp)
{
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE)
        return -1; // errno is EBADF
    const DWORD type = ::GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        // FILE_TYPE_UNKNOWN is also how GetFileType fails.
        if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR)
            return failWithLastError();
        stamp = FileStamp{}; // a pipe, a console, a device: FileKind::Other
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (!::GetFileInformationByHandle(handle, &information))
        return failWithLastError();
    stamp.kind = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                     ? FileKind::Directory
                     : FileKind::Regular;
    stamp.size = (std::uint64_t(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    stamp.modified = nanosecondsSinceEpoch(information.ftLastWriteTime);
    return 0;
}

// No pread: seek there, then read. Nothing relies on the position a read
// leaves behind.
long long readAt(int fd, char *buffer, std::size_t capacity, std::uint64_t offset)
{
    if (::_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0)
        return -1;
    return ::_read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(capacity, INT_MAX)));
}

long long readNext(int fd, char *buffer, std::size_t capacity)
{
    return ::_read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(capacity, INT_MAX)));
}

long long writeSome(int fd, const char *bytes, std::size_t count)
{
    return ::_write(fd, bytes, static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX)));
}

int closeFile(int fd)
{
    return ::_close(fd);
}

} // namespace velloran::files
