// A regular file opened for binary reading. Reads go through the descriptor
// opened at the start, so the file can be replaced under its name (converting
// a file onto itself) while it is being read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

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
    std::uint64_t size() const { return m_size; }

    // Reads the next bytes, at most `capacity`; 0 at the end of the file.
    // Throws FileError(CannotRead).
    std::size_t read(char *buffer, std::size_t capacity);

    // Fills `buffer` from the start of the file, as far as the file goes,
    // without moving the position of the next read().
    std::size_t readHead(char *buffer, std::size_t capacity);

    void seek(std::uint64_t offset);
    // Where the next read starts.
    std::uint64_t position() const { return m_position; }

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
};

} // namespace velloran
