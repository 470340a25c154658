// What the directory scan and the run plan ask of the file system that
// differs between systems. CMake builds one implementation per system.
#pragma once

#include <cstdint>
#include <filesystem>
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

// Whether a listed entry is hidden from the scan.
bool isHidden(const std::filesystem::directory_entry &entry);

} // namespace velloran
