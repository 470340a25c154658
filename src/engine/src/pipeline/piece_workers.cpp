// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/piece_workers.h"

#include "codec/transcoder.h"

namespace velloran {

namespace {

class StringSink : public ByteSink
{
public:
    explicit StringSink(std::string &text) : m_text(text) {}
    void write(const char *bytes, std::size_t count) override { m_text.append(bytes, count); }

private:
    std::string &m_text;
};

} // namespace

// What one thread converts with.
struct PieceWorkers::Tools
{
    Tools(const Decoder &source, const Converter &target)
        : decoder{source.converter.clone(), 0, source.privateUse}, encoder{target.clone(), {}}
    {
    }

    void convert(Piece &piece)
    {
        try {
            decoder.converter.reset();
            encoder.converter.reset();
            Transcoder transcoder(decoder.converter, encoder.converter, buffers,
                                  decoder.privateUse);
            // Most conversions stay within twice the input; growing past
            // that doubles once more at most.
            piece.output.reserve(2 * piece.inputSize);
            StringSink sink(piece.output);
            const char *begin = piece.input.get();
            piece.failed = !transcoder.convert(begin, begin + piece.inputSize, true, sink);
        } catch (...) {
            piece.exception = std::current_exception();
        }
    }

    Decoder decoder;
    Encoder encoder;
    ConversionBuffers buffers{0};
};

PieceWorkers::PieceWorkers(const Decoder &decoder, const Encoder &encoder, unsigned threads)
{
    // Every thread's converters are cloned here, before any thread runs: the
    // first set is the waiting thread's.
    for (unsigned i = 0; i <= threads; ++i)
        m_tools.push_back(std::make_unique<Tools>(decoder, encoder.converter));
    for (unsigned i = 1; i <= threads; ++i)
        m_threads.emplace_back([this, i] { work(*m_tools[i]); });
}

PieceWorkers::~PieceWorkers()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void PieceWorkers::submit(Piece *piece)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(piece);
    }
    m_wake.notify_one();
}

void PieceWorkers::waitFor(const Piece &piece)
{
    std::unique_lock lock(m_mutex);
    while (!piece.converted) {
        if (!convertNext(lock, *m_tools.front()))
            m_done.wait(lock);
    }
}

void PieceWorkers::work(Tools &tools)
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!convertNext(lock, tools))
            m_wake.wait(lock);
    }
}

bool PieceWorkers::convertNext(std::unique_lock<std::mutex> &lock, Tools &tools)
{
    if (m_queue.empty())
        return false;
    Piece *piece = m_queue.front();
    m_queue.pop_front();
    lock.unlock();
    tools.convert(*piece);
    lock.lock();
    piece->converted = true;
    m_done.notify_all();
    return true;
}

} // namespace velloran
