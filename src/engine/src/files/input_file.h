// A regular file opened for binary reading. Reads go through the descriptor
// opened at the start, so the file can be replaced under its name (converting
// a file onto itself) while it is being read.
// What is read is what the file held when it was opened: reads stop at the
// size it had then, and checkUnchanged() tells whether it was written since.
#pragma once

#include "files/file_system.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace velloran {

class InputFile
{
public:
    // Throws FileError(CannotRead) when the path cannot be opened or is not a
    // regular file.
    explicit InputFile(const std::filesystem::path &path);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // Size when opened.
    std::uint64_t size() const { return m_opened.size; }

    // Reads the next bytes, at most `capacity`; 0 at the size the file had
    // when opened. Throws FileError(CannotRead), also when the file ends
    // before that size.
    std::size_t read(char *buffer, std::size_t capacity);

    // Fills `buffer` from the start of the file, as far as the file goes,
    // without moving the position of the next read().
    std::size_t readHead(char *buffer, std::size_t capacity);

    // Only moves where the next read() starts: the descriptor follows when
    // that read needs it.
    void seek(std::uint64_t offset) { m_position = offset; }
    // Where the next read starts.
    std::uint64_t position() const { return m_position; }

    // Throws FileError(CannotRead) unless the file still has the size and the
    // modification time it had when opened.
    void checkUnchanged() const;

private:
    [[noreturn]] void throwReadError(int errorNumber) const;

    std::size_t readFromHead(char *buffer, std::size_t capacity);

    std::filesystem::path m_path;
    int m_fd = -1;
    files::FileStamp m_opened;
    std::uint64_t m_position = 0;
    std::uint64_t m_descriptorPosition = 0;
    // The longest start of the file readHead() has read: a small file is
    // looked at (for its byte-order mark, its encoding) and converted from
    // memory, with one read in all.
    std::string m_head;
};

} // namespace velloran
