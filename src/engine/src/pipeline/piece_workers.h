// SPDX-License-Identifier: GPL-3.0-or-later
// The threads that convert the pieces of one large file. Each converts with
// converters of its own, reset for every piece, so a piece's bytes depend on
// nothing but its input. The thread that waits for a piece helps with queued
// ones meanwhile, so `threads` workers plus the waiting thread keep that many
// plus one cores busy.
#pragma once

#include "codec/byte_order_marks.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velloran {

struct Piece
{
    std::unique_ptr<char[]> input;
    std::size_t inputSize = 0;
    std::size_t inputCapacity = 0;
    std::string output;
    bool converted = false;
    bool failed = false;
    std::exception_ptr exception;
};

class PieceWorkers
{
public:
    PieceWorkers(const Decoder &decoder, const Encoder &encoder, unsigned threads);
    ~PieceWorkers();
    PieceWorkers(const PieceWorkers &) = delete;
    PieceWorkers &operator=(const PieceWorkers &) = delete;

    void submit(Piece *piece);
    // Returns once `piece` is converted, converting queued pieces meanwhile.
    void waitFor(const Piece &piece);

private:
    struct Tools;

    void work(Tools &tools);
    // Takes the next queued piece, if any, converts it and reports it done;
    // `lock` is held on entry and on return.
    [[nodiscard]] bool convertNext(std::unique_lock<std::mutex> &lock, Tools &tools);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<Piece *> m_queue;
    bool m_stopping = false;
    std::vector<std::unique_ptr<Tools>> m_tools;
    std::vector<std::thread> m_threads;
};

} // namespace velloran
