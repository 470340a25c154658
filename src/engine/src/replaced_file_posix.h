// What a file that replaces another takes over from it.
#pragma once

#include <filesystem>
#include <sys/stat.h>

namespace velloran::files {

// Gives the new file `fd` the owner and group of `existing` (the file under
// `finalPath`) where permitted, its extended attributes (ACLs included) where
// the file system takes them, and its permissions, less setuid and setgid
// when the owner or group could not be kept.
// Throws FileError(CannotWrite) when the permissions cannot be set.
void takeOverMetadata(int fd, const std::filesystem::path &finalPath, const struct stat &existing);

} // namespace velloran::files
