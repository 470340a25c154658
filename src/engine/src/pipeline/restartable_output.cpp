// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/restartable_output.h"

#include "pipeline/cancellation.h"

#include <algorithm>
#include <cstring>

namespace velloran {

namespace {

// Compared and copied a step at a time, so a large write needs no large buffer.
constexpr std::size_t kStep = 64 * 1024;

// Reads exactly `count` bytes at `offset`, fewer only at the end of the file.
std::size_t readFully(InputFile &file, std::uint64_t offset, char *buffer, std::size_t count)
{
    InputFile::Reader reader = file.from(offset);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t got = reader.read(buffer + done, count - done);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace

RestartableOutput::RestartableOutput(std::filesystem::path finalPath, bool discard,
                                     InputFile *replaced)
    : m_finalPath(std::move(finalPath)), m_discard(discard), m_replaced(replaced)
{
    restart();
}

void RestartableOutput::write(const char *bytes, std::size_t count)
{
    if (m_comparing && continuesReplaced(bytes, count)) {
        m_matched += count;
        return;
    }
    if (m_comparing)
        diverge();
    if (m_file)
        m_file->write(bytes, count);
}

void RestartableOutput::restart()
{
    m_file.reset();
    m_matched = 0;
    m_comparing = m_replaced != nullptr;
    if (!m_comparing)
        open();
}

bool RestartableOutput::sameAsReplaced() const
{
    return m_comparing && m_matched == m_replaced->size();
}

bool RestartableOutput::commitUnlessCancelled(const std::atomic<bool> *cancel)
{
    // An output shorter than the file it replaces: its bytes so far are still
    // only compared.
    if (m_comparing)
        diverge();
    if (m_file)
        m_file->flush();
    if (isCancelled(cancel))
        return false; // the temporary file goes with m_file
    if (m_file)
        m_file->commit();
    return true;
}

void RestartableOutput::open()
{
    if (!m_discard)
        m_file.emplace(m_finalPath);
}

bool RestartableOutput::continuesReplaced(const char *bytes, std::size_t count)
{
    m_scratch.resize(std::min(count, kStep));
    for (std::size_t done = 0; done < count;) {
        const std::size_t step = std::min(count - done, kStep);
        if (readFully(*m_replaced, m_matched + done, m_scratch.data(), step) != step ||
            std::memcmp(m_scratch.data(), bytes + done, step) != 0)
            return false;
        done += step;
    }
    return true;
}

void RestartableOutput::diverge()
{
    m_comparing = false;
    open();
    if (!m_file)
        return;
    m_scratch.resize(std::min<std::uint64_t>(m_matched, kStep));
    for (std::uint64_t done = 0; done < m_matched;) {
        const auto step =
            static_cast<std::size_t>(std::min<std::uint64_t>(m_matched - done, kStep));
        readFully(*m_replaced, done, m_scratch.data(), step);
        m_file->write(m_scratch.data(), step);
        done += step;
    }
}

} // namespace velloran
