// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/input_file.h"

#include "files/file_error.h"
#include "files/retry_on_interrupt.h"

#include <algorithm>
#include <cerrno>

namespace velloran {

namespace {

// Enough for the look at a file's start before converting it.
constexpr std::size_t kLongestKeptStart = 128 * 1024;

FileError changedWhileConverted()
{
    return FileError(Outcome::CannotRead, "the file changed while it was being converted");
}

} // namespace

InputFile::InputFile(const std::filesystem::path &path)
    : m_path(path), m_fd(retryOnInterrupt([&] { return files::openForReading(path); }))
{
    if (m_fd < 0)
        throw FileError(Outcome::CannotRead, "cannot open " + path.string(), errno);
    const int stamped = files::stampOf(m_fd, m_opened);
    const int error = errno;
    if (stamped == 0 && m_opened.kind == files::FileKind::Regular) {
        if (m_opened.size == 0)
            refuseUnknownSize();
        return;
    }
    files::closeFile(m_fd);
    if (stamped != 0)
        throwReadError(error);
    if (m_opened.kind == files::FileKind::Directory)
        throwReadError(EISDIR);
    throw FileError(Outcome::CannotRead, "cannot read " + path.string() + ": not a regular file");
}

// Files the system makes up as they are read (those under /proc) say they
// are empty: read as that, they would become empty outputs. An empty file
// has nothing to read at its start.
void InputFile::refuseUnknownSize()
{
    char byte = 0;
    const long long count = retryOnInterrupt([&] { return files::readAt(m_fd, &byte, 1, 0); });
    if (count <= 0)
        return;
    files::closeFile(m_fd);
    throw FileError(Outcome::CannotRead, "cannot read " + m_path.string() +
                                             ": its size is unknown (it claims to be empty, "
                                             "but is not)");
}

InputFile::~InputFile()
{
    close();
}

void InputFile::close()
{
    if (m_fd >= 0)
        files::closeFile(m_fd);
    m_fd = -1;
}

std::string_view InputFile::start(std::size_t length)
{
    const auto wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::min(length, kLongestKeptStart), size()));
    if (wanted <= m_start.size())
        return std::string_view(m_start).substr(0, wanted);
    std::string bytes(wanted, '\0');
    std::size_t filled = 0;
    while (filled < wanted) {
        const long long count = retryOnInterrupt(
            [&] { return files::readAt(m_fd, bytes.data() + filled, wanted - filled, filled); });
        if (count < 0)
            throwReadError(errno);
        if (count == 0)
            break; // shorter than when opened: a later read says so
        filled += static_cast<std::size_t>(count);
    }
    bytes.resize(filled);
    m_start = std::move(bytes);
    return m_start;
}

std::size_t InputFile::readAt(std::uint64_t offset, char *buffer, std::size_t capacity)
{
    std::size_t fromStart = 0;
    if (offset < m_start.size()) {
        fromStart = std::min(capacity, m_start.size() - static_cast<std::size_t>(offset));
        std::copy_n(m_start.data() + offset, fromStart, buffer);
        offset += fromStart;
    }
    const std::uint64_t left = size() - std::min(offset, size());
    if (left == 0 || capacity == fromStart)
        return fromStart;
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(capacity - fromStart, left));
    const long long count =
        retryOnInterrupt([&] { return files::readAt(m_fd, buffer + fromStart, wanted, offset); });
    if (count < 0)
        throwReadError(errno);
    // Shorter than when it was opened: truncated meanwhile.
    if (count == 0)
        throw changedWhileConverted();
    return fromStart + static_cast<std::size_t>(count);
}

void InputFile::checkUnchanged() const
{
    files::FileStamp now;
    if (files::stampOf(m_fd, now) != 0)
        throwReadError(errno);
    if (now != m_opened)
        throw changedWhileConverted();
}

void InputFile::throwReadError(int errorNumber) const
{
    throw FileError(Outcome::CannotRead, "cannot read " + m_path.string(), errorNumber);
}

} // namespace velloran
