// POSIX: a file is named by its device and inode; names starting with "."
// are hidden.
#include "directory_platform.h"

#include <sys/stat.h>

namespace velloran {

std::optional<FileIdentity> identityOf(const std::filesystem::path &path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

bool isHidden(const std::filesystem::directory_entry &entry)
{
    return entry.path().filename().native().starts_with('.');
}

} // namespace velloran
