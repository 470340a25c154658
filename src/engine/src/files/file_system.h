// SPDX-License-Identifier: GPL-3.0-or-later
// The operations on open files whose system calls differ between platforms.
// One implementation per platform, chosen by CMake: file_system_posix.cpp and
// file_system_windows.cpp. Like the POSIX calls, each returns -1 and sets
// errno when it fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace velloran::files {

enum class FileKind
{
    Regular,
    Directory,
    Other
};

// What tells one state of a file from a later one.
struct FileStamp
{
    FileKind kind = FileKind::Other;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since the epoch, as precise as the system keeps it

    bool operator==(const FileStamp &) const = default;
};

// Read-only, binary, not inherited by child processes; never waits for a
// writer when the path is a FIFO.
int openForReading(const std::filesystem::path &path);
int stampOf(int fd, FileStamp &stamp);
// Reads at `offset`. Every read says where it starts, so the descriptor's
// own position means nothing.
long long readAt(int fd, char *buffer, std::size_t capacity, std::uint64_t offset);
// Reads what comes next from a stream (a pipe, a terminal), which has no
// offsets: what is there, at least one byte unless at the end.
long long readNext(int fd, char *buffer, std::size_t capacity);
long long writeSome(int fd, const char *bytes, std::size_t count);
int closeFile(int fd);

} // namespace velloran::files
