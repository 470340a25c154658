// SPDX-License-Identifier: GPL-3.0-or-later
// What a file that replaces another takes over from it.
#pragma once

#include <filesystem>
#include <sys/stat.h>

namespace velloran::files {

// Gives the new file `fd` the owner and group of `existing` (the file under
// `finalPath`) where permitted, its extended attributes (ACLs included) where
// the file system takes them, and its permissions, less setuid and setgid
// when the owner or group could not be kept. Setuid and setgid, which a write
// by anyone but root clears, are returned to be set once the text is written
// (0 when there are none).
// Throws FileError(CannotWrite) when the permissions cannot be set.
mode_t takeOverMetadata(int fd, const std::filesystem::path &finalPath,
                        const struct stat &existing);

} // namespace velloran::files
