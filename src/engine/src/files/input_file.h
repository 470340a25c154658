// SPDX-License-Identifier: GPL-3.0-or-later
// A regular file opened for binary reading. Reads go through the descriptor
// opened at the start, so the file can be replaced under its name (converting
// a file onto itself) while it is being read.
// What is read is what the file held when it was opened: reads stop at the
// size it had then, and checkUnchanged() tells whether it was written since.
// Every pass over the file (a look at its start, a strict check, the
// conversion, the search for an error) is a Reader of its own, which says
// where it starts: no pass moves another's position.
#pragma once

#include "files/file_system.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace velloran {

// Sees every byte a reader reads, in order: a check that runs alongside a
// conversion, at no cost of its own in reading.
class ReadObserver
{
public:
    virtual ~ReadObserver() = default;
    virtual void seen(std::string_view bytes) = 0;
};

class InputFile
{
public:
    class Reader;

    // Throws FileError(CannotRead) when the path cannot be opened or is not a
    // regular file.
    explicit InputFile(const std::filesystem::path &path);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // Size when opened.
    std::uint64_t size() const { return m_opened.size; }

    // The first `length` bytes (at most 128 KiB), fewer when the file is
    // shorter. Read once and kept: a small file is looked at (for its byte-order
    // mark, its encoding) and converted from memory, with one read in all.
    // The view lasts as long as the file. Throws FileError(CannotRead).
    std::string_view start(std::size_t length);

    // A pass from `offset` to the size the file had when opened, shown to
    // `observer` as it reads, when there is one.
    Reader from(std::uint64_t offset, ReadObserver *observer = nullptr);

    // Throws FileError(CannotRead) unless the file still has the size and the
    // modification time it had when opened.
    void checkUnchanged() const;

    // Closes the file, which is read no more: before its output replaces
    // it, since Windows replaces no file that is open. A read after it
    // throws FileError(CannotRead).
    void close();

private:
    // Reads at `offset`, from the kept start where it can; 0 at the size
    // when opened. Throws FileError(CannotRead), also when the file ends
    // before that size.
    std::size_t readAt(std::uint64_t offset, char *buffer, std::size_t capacity);
    void refuseUnknownSize();
    [[noreturn]] void throwReadError(int errorNumber) const;

    std::filesystem::path m_path;
    int m_fd = -1;
    files::FileStamp m_opened;
    std::string m_start;
};

class InputFile::Reader
{
public:
    // Reads the next bytes, at most `capacity`; 0 at the end. Throws
    // FileError(CannotRead).
    std::size_t read(char *buffer, std::size_t capacity)
    {
        const std::size_t count = m_file.readAt(m_position, buffer, capacity);
        m_position += count;
        if (m_observer)
            m_observer->seen(std::string_view(buffer, count));
        return count;
    }
    std::uint64_t position() const { return m_position; }
    std::uint64_t size() const { return m_file.size(); }

private:
    friend class InputFile;
    Reader(InputFile &file, std::uint64_t offset, ReadObserver *observer)
        : m_file(file), m_position(offset), m_observer(observer)
    {
    }

    InputFile &m_file;
    std::uint64_t m_position;
    ReadObserver *m_observer;
};

inline InputFile::Reader InputFile::from(std::uint64_t offset, ReadObserver *observer)
{
    return Reader(*this, offset, observer);
}

} // namespace velloran
