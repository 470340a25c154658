// SPDX-License-Identifier: GPL-3.0-or-later
// The progress bar on standard error: files done of all, the bytes of a large
// file in progress, and the rate. Redrawn from a thread of its own ten times
// a second, since the run's observers are called from the workers.
#pragma once

#include "velloran/run.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class ProgressBar
{
public:
    // Whether a bar belongs on standard error: it is a terminal and not quieted.
    static bool wanted(bool quiet);

    // Hooks the bar into the run's observers and starts drawing.
    ProgressBar(std::size_t entries, velloran::RunOptions &options);
    // Stops drawing and clears the line, so the summary starts on a clean one.
    ~ProgressBar();

    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

private:
    void onBytes(std::size_t index, std::uint64_t done, std::uint64_t total);
    void drawUntilStopped();
    std::string text() const;

    const std::size_t m_entries;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();

    // Written by the workers.
    std::atomic<std::size_t> m_finished{0};
    std::atomic<std::uint64_t> m_bytes{0};
    std::unique_ptr<std::atomic<std::uint64_t>[]> m_bytesOfEntry; // to turn totals into steps
    std::atomic<std::uint64_t> m_largeDone{0};
    std::atomic<std::uint64_t> m_largeTotal{0};

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};
