// SPDX-License-Identifier: GPL-3.0-or-later
// What the directory scan and the run plan ask of the file system that
// differs between systems. CMake builds one implementation per system.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace velloran {

// Names one file or directory whatever path leads to it.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity &) const = default;
};

// The identity of what `path` names, following links; none when it cannot be
// looked up (missing, a broken link, no permission).
std::optional<FileIdentity> identityOf(const std::filesystem::path &path);

// A directory held open, so that the names in it are looked up one component
// each instead of walking the directory's whole path again for every file.
class OpenDirectory
{
public:
    explicit OpenDirectory(const std::filesystem::path &path);
    ~OpenDirectory();
    OpenDirectory(const OpenDirectory &) = delete;
    OpenDirectory &operator=(const OpenDirectory &) = delete;

    // The directory's own identity; none when it could not be opened.
    const std::optional<FileIdentity> &identity() const { return m_identity; }

    // What identityOf(path / name) would say: `name` is one NUL-terminated
    // name in the directory, or empty for the directory itself.
    std::optional<FileIdentity> identityOf(const std::filesystem::path::value_type *name) const;

private:
    std::filesystem::path m_path;
    std::intptr_t m_handle = -1; // the system's handle, where it keeps one
    std::optional<FileIdentity> m_identity;
};

// What a listed name is, a link counting as what it leads to.
enum class EntryKind
{
    File,
    Directory,
    Other
};

// Calls `found` with each name in `directory` that is not hidden, and what it
// is. The system's own listing tells most kinds, so that most names need no
// look-up of their own. Returns 0, or the errno value of a directory that
// could not be read (to its end).
[[nodiscard]] int listDirectory(
    const std::filesystem::path &directory,
    const std::function<void(std::filesystem::path::string_type &&name, EntryKind kind)> &found);

} // namespace velloran
