// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/replaced_file_posix.h"

#include "files/file_error.h"

#include <cerrno>
#include <string_view>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace velloran::files {

namespace {

constexpr const char *kAccessAcl = "system.posix_acl_access";

struct stat statusOf(int fd, const std::filesystem::path &finalPath)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0)
        throw FileError(Outcome::CannotWrite,
                        "cannot read the status of the new " + finalPath.string(), errno);
    return status;
}

// Root may give the file any owner; others only a group they belong to.
void keepOwner(int fd, const struct stat &existing)
{
    const bool kept = ::fchown(fd, existing.st_uid, existing.st_gid) == 0 ||
                      ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) == 0;
    // Neither may succeed: the file then keeps the writer's owner and group,
    // which the caller compares before it sets setuid or setgid.
    static_cast<void>(kept);
}

// The names of the extended attributes of `path`, each followed by a NUL.
std::vector<char> attributeNames(const std::filesystem::path &path)
{
    for (;;) {
        const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
        if (size <= 0)
            return {};
        std::vector<char> names(static_cast<std::size_t>(size));
        const ssize_t filled = ::listxattr(path.c_str(), names.data(), names.size());
        if (filled >= 0) {
            names.resize(static_cast<std::size_t>(filled));
            return names;
        }
        if (errno != ERANGE) // ERANGE: an attribute was added meanwhile
            return {};
    }
}

void copyAttribute(const std::filesystem::path &from, const char *name, int to)
{
    const ssize_t size = ::getxattr(from.c_str(), name, nullptr, 0);
    if (size < 0)
        return;
    std::vector<char> value(static_cast<std::size_t>(size));
    const ssize_t filled = ::getxattr(from.c_str(), name, value.data(), value.size());
    if (filled >= 0)
        ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(filled), 0);
}

// Attributes the file system or the user's rights refuse (security.*,
// trusted.*, a file system without them) are left behind. A default ACL of
// the directory, which the new file inherited, goes unless the old file had
// an ACL too.
void copyExtendedAttributes(const std::filesystem::path &from, int to)
{
    const std::vector<char> names = attributeNames(from);
    bool hadAccessAcl = false;
    for (std::size_t at = 0; at < names.size();) {
        const char *name = names.data() + at;
        copyAttribute(from, name, to);
        hadAccessAcl = hadAccessAcl || std::string_view(name) == kAccessAcl;
        at += std::string_view(name).size() + 1;
    }
    if (!hadAccessAcl)
        ::fremovexattr(to, kAccessAcl);
}

} // namespace

mode_t takeOverMetadata(int fd, const std::filesystem::path &finalPath, const struct stat &existing)
{
    struct stat created = statusOf(fd, finalPath);
    if (created.st_uid != existing.st_uid || created.st_gid != existing.st_gid) {
        keepOwner(fd, existing);
        created = statusOf(fd, finalPath);
    }
    copyExtendedAttributes(finalPath, fd);
    mode_t mode = existing.st_mode & 07777;
    // Never a setuid or setgid file with someone else's owner or group.
    if (created.st_uid != existing.st_uid || created.st_gid != existing.st_gid)
        mode &= ~mode_t(S_ISUID | S_ISGID);
    const mode_t special = S_ISUID | S_ISGID;
    if (::fchmod(fd, mode & ~special) != 0)
        throw FileError(Outcome::CannotWrite,
                        "cannot set the permissions of the new " + finalPath.string(), errno);
    return (mode & special) != 0 ? mode : 0;
}

} // namespace velloran::files
