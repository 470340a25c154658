// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_bar.h"

#include "system.h"

#include <algorithm>
#include <cstdio>

namespace {

using namespace std::chrono_literals;

constexpr auto kRedraw = 100ms;
constexpr std::size_t kBarWidth = 20;
// A file this large shows its own progress next to the count of files.
constexpr std::uint64_t kLargeFile = 8 << 20;

std::string megabytes(double bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    return text;
}

} // namespace

bool ProgressBar::wanted(bool quiet)
{
    return !quiet && isTerminal(stderr);
}

ProgressBar::ProgressBar(std::size_t entries, velloran::RunOptions &options)
    : m_entries(entries), m_bytesOfEntry(new std::atomic<std::uint64_t>[entries]())
{
    options.onFileFinished = [this](std::size_t, const velloran::FileResult &) { ++m_finished; };
    options.onBytes = [this](std::size_t index, std::uint64_t done, std::uint64_t total) {
        onBytes(index, done, total);
    };
    m_thread = std::thread([this] { drawUntilStopped(); });
}

ProgressBar::~ProgressBar()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
    std::fputs("\r\033[K", stderr);
}

void ProgressBar::onBytes(std::size_t index, std::uint64_t done, std::uint64_t total)
{
    if (index >= m_entries)
        return;
    const std::uint64_t before = m_bytesOfEntry[index].exchange(done);
    if (done > before)
        m_bytes += done - before;
    if (total >= kLargeFile) {
        m_largeDone = done;
        m_largeTotal = done < total ? total : 0; // a finished file is no longer shown
    }
}

void ProgressBar::drawUntilStopped()
{
    std::unique_lock lock(m_mutex);
    do {
        std::string line = text();
        const std::size_t width = terminalColumns();
        if (line.size() >= width)
            line.resize(width - 1);
        std::fputs(("\r" + line + "\033[K").c_str(), stderr);
    } while (!m_wake.wait_for(lock, kRedraw, [this] { return m_stop; }));
}

std::string ProgressBar::text() const
{
    const std::size_t finished = m_finished;
    const std::uint64_t largeTotal = m_largeTotal;
    const std::uint64_t largeDone = m_largeDone;
    // A large file in progress counts by its share done, so that the bar
    // moves during a run of one large file too.
    const double done =
        double(finished) + (largeTotal ? double(largeDone) / double(largeTotal) : 0);
    const auto filled =
        std::min(kBarWidth, m_entries ? std::size_t(done * kBarWidth / double(m_entries)) : 0);
    std::string text = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') +
                       "] " + std::to_string(finished) + "/" + std::to_string(m_entries) + " files";

    if (largeTotal > 0) {
        text += ", large file " + std::to_string(largeDone * 100 / largeTotal) + "% of " +
                megabytes(double(largeTotal));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    if (seconds > 0)
        text += ", " + megabytes(double(m_bytes) / seconds) + "/s";
    return text;
}
