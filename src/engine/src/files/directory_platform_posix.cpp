// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX: a file is named by its device and inode; names starting with "."
// are hidden; the listing's entry types spare most look-ups.
#include "files/directory_platform.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velloran {

namespace {

// Opened only to look names up in: no read permission needed where the
// system allows that, and never waiting on a pipe where it does not.
#if defined(O_PATH)
constexpr int kLookUpOnly = O_PATH;
#elif defined(O_SEARCH)
constexpr int kLookUpOnly = O_SEARCH;
#else
constexpr int kLookUpOnly = O_RDONLY | O_NONBLOCK;
#endif

FileIdentity identityIn(const struct stat &info)
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

} // namespace

std::optional<FileIdentity> identityOf(const std::filesystem::path &path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return identityIn(info);
}

// Not opened as a directory only: a path naming a file gets that file's
// identity and finds nothing in it, as stat does.
OpenDirectory::OpenDirectory(const std::filesystem::path &path)
    : m_path(path), m_handle(::open(path.c_str(), kLookUpOnly | O_CLOEXEC))
{
    struct stat info;
    if (m_handle >= 0 && ::fstat(static_cast<int>(m_handle), &info) == 0)
        m_identity = identityIn(info);
}

OpenDirectory::~OpenDirectory()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

std::optional<FileIdentity> OpenDirectory::identityOf(const char *name) const
{
    if (*name == '\0' || !m_identity)
        return m_identity;
    struct stat info;
    if (::fstatat(static_cast<int>(m_handle), name, &info, 0) != 0)
        return std::nullopt;
    return identityIn(info);
}

namespace {

// What a link leads to, or a name the listing could not tell.
EntryKind kindOf(int directory, const char *name)
{
    struct stat info;
    if (::fstatat(directory, name, &info, 0) != 0)
        return EntryKind::Other;
    return S_ISREG(info.st_mode)   ? EntryKind::File
           : S_ISDIR(info.st_mode) ? EntryKind::Directory
                                   : EntryKind::Other;
}

EntryKind kindOf(DIR *directory, const dirent &entry)
{
#ifdef DT_UNKNOWN
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Directory;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return EntryKind::Other;
    }
#endif
    return kindOf(::dirfd(directory), entry.d_name);
}

} // namespace

// Names starting with "." are hidden ("." and ".." among them).
// readdir() tells its end from a failure only by errno.
int listDirectory(const std::filesystem::path &path,
                  const std::function<void(std::string &&name, EntryKind kind)> &found)
{
    DIR *directory = ::opendir(path.c_str());
    if (!directory)
        return errno;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(directory);
        if (!entry)
            break;
        if (entry->d_name[0] != '.')
            found(entry->d_name, kindOf(directory, *entry));
    }
    const int error = errno;
    ::closedir(directory);
    return error;
}

} // namespace velloran
