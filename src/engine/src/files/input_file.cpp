#include "files/input_file.h"

#include "files/file_error.h"
#include "files/retry_on_interrupt.h"

#include <algorithm>
#include <cerrno>

namespace velloran {

namespace {

// Enough for the look at a file's start before converting it.
constexpr std::size_t kLongestKeptHead = 128 * 1024;

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
    const std::size_t fromHead = m_position < m_head.size() ? readFromHead(buffer, capacity) : 0;
    const std::uint64_t left = size() - std::min(m_position, size());
    if (left == 0 || capacity == fromHead)
        return fromHead;
    if (m_descriptorPosition != m_position) {
        if (files::seekTo(m_fd, m_position) < 0)
            throwReadError(errno);
        m_descriptorPosition = m_position;
    }
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(capacity - fromHead, left));
    const long long count =
        retryOnInterrupt([&] { return files::readSome(m_fd, buffer + fromHead, wanted); });
    if (count < 0)
        throwReadError(errno);
    // Shorter than when it was opened: truncated meanwhile.
    if (count == 0)
        throw changedWhileConverted();
    m_position += static_cast<std::uint64_t>(count);
    m_descriptorPosition = m_position;
    return fromHead + static_cast<std::size_t>(count);
}

std::size_t InputFile::readFromHead(char *buffer, std::size_t capacity)
{
    const auto start = static_cast<std::size_t>(m_position);
    const std::size_t count = std::min(capacity, m_head.size() - start);
    std::copy_n(m_head.data() + start, count, buffer);
    m_position += count;
    return count;
}

std::size_t InputFile::readHead(char *buffer, std::size_t capacity)
{
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, size()));
    if (wanted <= m_head.size()) {
        std::copy_n(m_head.data(), wanted, buffer);
        return wanted;
    }
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
    if (filled <= kLongestKeptHead)
        m_head.assign(buffer, filled);
    return filled;
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
