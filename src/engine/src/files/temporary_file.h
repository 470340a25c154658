// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary file behind AtomicOutputFile, the part that differs between
// platforms: temporary_file_posix.cpp and temporary_file_windows.cpp, chosen
// by CMake. It lives in the directory of the final name, so that moving it
// into place never crosses file systems.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace velloran::files {

struct TemporaryFile
{
    int fd = -1;
    // Empty while the file has no name (on Linux an O_TMPFILE file, which
    // vanishes with the process however it ends).
    std::filesystem::path name;
    // A file exists under the final name. The temporary file took over its
    // owner, attributes and permissions before any text was written.
    bool replacing = false;
    // POSIX: the replaced file's mode, when setuid or setgid, which writing
    // would clear; set by finishReplacement(). 0 otherwise.
    unsigned modeAfterWriting = 0;
};

enum class Naming
{
    UnnamedWherePossible,
    Named, // as where the file system refuses unnamed files (for tests)
};

// Throws FileError(CannotWrite).
TemporaryFile createTemporaryFor(const std::filesystem::path &finalPath, Naming naming);
// For a file that replaces another, once all text is written: gives it what
// was left of the other's metadata, and flushes it to disk.
// Throws FileError(CannotWrite).
void finishReplacement(const TemporaryFile &file, const std::filesystem::path &finalPath);
// Closes the file and puts it under `finalPath`, replacing any file there in
// one step. Throws FileError(CannotWrite), leaving the final name as it was.
void moveIntoPlace(TemporaryFile &file, const std::filesystem::path &finalPath);
// Closes the file and removes it, if that was not done yet.
void discard(TemporaryFile &file);

// Shared by the implementations (temporary_file.cpp).

// The directory of `finalPath`, "." for a bare name.
std::filesystem::path directoryOf(const std::filesystem::path &finalPath);
// A new temporary name in `directory`, ".velloran-" and ten random
// characters: the same length whatever the final name, so that any name the
// file system allows can be converted.
std::filesystem::path temporaryNameIn(const std::filesystem::path &directory);
// Tries new temporary names until `create` takes one (returns 0); it returns
// -1 with errno EEXIST for a name in use. Throws
// FileError(CannotWrite, operation) on any other error.
std::filesystem::path freeName(const std::filesystem::path &directory,
                               const std::function<int(const std::filesystem::path &)> &create,
                               const std::string &operation);
[[noreturn]] void failToWrite(const std::string &operation, int errorNumber);

} // namespace velloran::files
