// SPDX-License-Identifier: GPL-3.0-or-later
// Places, as the run plan compares them: a place is a name in a directory,
// known by the directory's identity (or, for a directory not made yet, its
// canonical path) and the name. So ".", ".." and links to directories do not
// hide that two paths name one place; but two names of one file (hard links,
// a symbolic link and its file) are two places, because writing an output
// replaces a name, never the file behind it.
#pragma once

#include "files/path_text.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace velloran {

class Places
{
    struct Directory
    {
        std::string key; // ends in a NUL, which no name holds, so a name can follow
    };
    using NativeString = std::filesystem::path::string_type;
    using DirectoryEntry = std::pair<const NativeString, Directory>;

public:
    // One caller's look-ups: the directory it used last (most entries
    // follow one another in a few directories) and the buffer its keys are
    // made in.
    class Cursor
    {
        friend class Places;
        DirectoryEntry *m_lastDirectory = nullptr;
        std::string m_key;
    };

    explicit Places(std::filesystem::path workingDirectory);

    // The key of the place `path` names, valid until `cursor` is used again.
    std::string_view keyOf(NativeView path, Cursor &cursor);

    // Calls `onTheWay` with the key of each place reading `path` goes
    // through: its own, then, while that is a symbolic link, the place it
    // leads to (as many as the system follows).
    void forEachOnTheWay(const std::filesystem::path &path, Cursor &cursor,
                         const std::function<void(std::string_view key)> &onTheWay);

private:
    struct NativeHash
    {
        using is_transparent = void;
        std::size_t operator()(NativeView text) const { return std::hash<NativeView>()(text); }
    };

    DirectoryEntry &directoryOf(NativeView text, Cursor &cursor);
    std::string directoryKey(const std::filesystem::path &directory) const;

    const std::filesystem::path m_workingDirectory;
    std::unordered_map<NativeString, Directory, NativeHash, std::equal_to<>> m_directories;
};

} // namespace velloran
