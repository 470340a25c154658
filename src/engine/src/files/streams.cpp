// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/streams.h"

#include "files/file_error.h"
#include "files/file_system.h"
#include "files/retry_on_interrupt.h"
#include "files/write_all.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace velloran {

std::size_t DescriptorSource::readSome(char *buffer, std::size_t capacity)
{
    const long long count =
        retryOnInterrupt([&] { return files::readNext(m_fd, buffer, capacity); });
    if (count < 0)
        throw FileError(Outcome::CannotRead, "cannot read the input", errno);
    return static_cast<std::size_t>(count);
}

void DescriptorOutput::write(const char *bytes, std::size_t count)
{
    if (const int error = files::writeAll(m_fd, bytes, count))
        throw FileError(Outcome::CannotWrite, "cannot write the output", error);
}

std::string_view InputStream::start(std::size_t length)
{
    if (!m_started) {
        m_started = true;
        m_start.resize(length);
        std::size_t filled = 0;
        while (filled < length) {
            const std::size_t count = m_source.readSome(m_start.data() + filled, length - filled);
            m_endedWithinStart = count == 0;
            if (m_endedWithinStart)
                break;
            filled += count;
        }
        m_start.resize(filled);
    }
    return std::string_view(m_start).substr(0, length);
}

void InputStream::skip(std::size_t count)
{
    if (m_position + count > m_start.size())
        throw std::logic_error("a stream skips only bytes it kept");
    m_position += count;
}

std::size_t InputStream::read(char *buffer, std::size_t capacity)
{
    if (m_position < m_start.size()) {
        const std::size_t kept = std::min(capacity, m_start.size() - std::size_t(m_position));
        std::copy_n(m_start.data() + m_position, kept, buffer);
        m_position += kept;
        return kept;
    }
    const std::size_t count = m_source.readSome(buffer, capacity);
    m_position += count;
    return count;
}

} // namespace velloran
