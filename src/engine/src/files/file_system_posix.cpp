// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_system.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velloran::files {

// O_NONBLOCK keeps open() from waiting for a writer when the path is a FIFO;
// it does not affect reads from the regular files that get past the check.
int openForReading(const std::filesystem::path &path)
{
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

int stampOf(int fd, FileStamp &stamp)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0)
        return -1;
    stamp.kind = S_ISREG(status.st_mode)   ? FileKind::Regular
                 : S_ISDIR(status.st_mode) ? FileKind::Directory
                                           : FileKind::Other;
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.modified =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    return 0;
}

long long readAt(int fd, char *buffer, std::size_t capacity, std::uint64_t offset)
{
    return ::pread(fd, buffer, std::min<std::size_t>(capacity, SSIZE_MAX),
                   static_cast<off_t>(offset));
}

long long readNext(int fd, char *buffer, std::size_t capacity)
{
    return ::read(fd, buffer, std::min<std::size_t>(capacity, SSIZE_MAX));
}

long long writeSome(int fd, const char *bytes, std::size_t count)
{
    return ::write(fd, bytes, std::min<std::size_t>(count, SSIZE_MAX));
}

int closeFile(int fd)
{
    return ::close(fd);
}

} // namespace velloran::files
