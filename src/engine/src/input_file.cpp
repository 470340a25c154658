#include "input_file.h"

#include "file_error.h"
#include "retry_on_interrupt.h"

#include <algorithm>
#include <cerrno>

namespace velloran {

namespace {

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
    if (stamped == 0 && m_opened.kind == files::FileKind::Regular)
        return;
    files::closeFile(m_fd);
    if (stamped != 0)
        throwReadError(error);
    if (m_opened.kind == files::FileKind::Directory)
        throwReadError(EISDIR);
    throw FileError(Outcome::CannotRead, "cannot read " + path.string() + ": not a regular file");
}

InputFile::~InputFile()
{
    files::closeFile(m_fd);
}

std::size_t InputFile::read(char *buffer, std::size_t capacity)
{
    const std::uint64_t left = size() - std::min(m_position, size());
    if (left == 0 || capacity == 0)
        return 0;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, left));
    const long long count = retryOnInterrupt([&] { return files::readSome(m_fd, buffer, wanted); });
    if (count < 0)
        throwReadError(errno);
    // Shorter than when it was opened: truncated meanwhile.
    if (count == 0)
        throw changedWhileConverted();
    m_position += static_cast<std::uint64_t>(count);
    return static_cast<std::size_t>(count);
}

std::size_t InputFile::readHead(char *buffer, std::size_t capacity)
{
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, size()));
    std::size_t filled = 0;
    while (filled < wanted) {
        const long long count = retryOnInterrupt(
            [&] { return files::readAt(m_fd, buffer + filled, wanted - filled, filled); });
        if (count < 0)
            throwReadError(errno);
        if (count == 0)
            break;
        filled += static_cast<std::size_t>(count);
    }
    return filled;
}

void InputFile::seek(std::uint64_t offset)
{
    if (files::seekTo(m_fd, offset) < 0)
        throwReadError(errno);
    m_position = offset;
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
