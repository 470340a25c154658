// SPDX-License-Identifier: GPL-3.0-or-later
// The directory scan, the one behind adding a directory and dropping one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

struct ScanOptions
{
    // How many levels of subdirectories are searched: -1 the whole tree, 0 the
    // directory alone (as does any other negative value), n that many levels.
    int depth = 0;
    // File name suffixes to match (the bytes after the last "." of the name,
    // without the dot), exactly, case included. An empty suffix matches names
    // without one. A file matches when any suffix matches; no suffix matches nothing.
    std::vector<std::string> suffixes;
    // Directories not searched wherever the walk meets them, under any name
    // (such as the output directory of a run that writes into the tree it
    // searches). The directory searched itself is always searched.
    std::vector<std::filesystem::path> leaveOut = {};
};

// A directory of the walk that could not be listed, and the system's reason.
struct UnreadableDirectory
{
    std::filesystem::path path;
    std::string message;
};

struct ScanResult
{
    std::vector<std::filesystem::path> files; // as findFiles() gives them
    // In the order the walk met them, each named as the walk reached it.
    std::vector<UnreadableDirectory> unreadable;
    std::vector<std::filesystem::path> leftOut; // the directories of `leaveOut` met
};

// The files under `directory` whose suffix matches: the directory's own files
// first, in name order ignoring case, then subdirectory by subdirectory in
// the same order, each with its whole subtree. Every path is `directory` as
// given, then "/"-separated names; names are carried as the file system's
// bytes. Hidden files and directories are left out, and so is anything that
// is neither a regular file nor a directory (links count as what they lead
// to). A directory link that leads back to a directory being searched is not
// followed again. A directory that cannot be read lists as empty.
std::vector<std::filesystem::path> findFiles(const std::filesystem::path &directory,
                                             const ScanOptions &options);

// findFiles(), and what it passed over: the directories it could not read and
// those it was told to leave out.
ScanResult scanDirectory(const std::filesystem::path &directory, const ScanOptions &options);

// How many files findFiles() finds under `directory` to `depth` whatever
// their suffix: what a search that found nothing passed over.
std::size_t countFiles(const std::filesystem::path &directory, int depth);

// Whether the file name of `file` has the suffix `suffix` (see ScanOptions).
bool hasSuffix(const std::filesystem::path &file, std::string_view suffix);

} // namespace velloran
