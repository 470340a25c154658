#include "parallel_converter.h"

#include "transcoder.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velloran {

namespace {

struct Piece
{
    std::string input;
    std::string output;
    bool converted = false;
    bool failed = false;
    std::exception_ptr exception;
};

class StringSink : public ByteSink
{
public:
    explicit StringSink(std::string &text) : m_text(text) {}
    void write(const char *bytes, std::size_t count) override { m_text.append(bytes, count); }

private:
    std::string &m_text;
};

std::string nameOf(const Converter &converter)
{
    UErrorCode error = U_ZERO_ERROR;
    return ucnv_getName(converter.get(), &error);
}

// Converts queued pieces with fresh converter state for each, so a piece's
// bytes depend on nothing but its input.
class PieceWorkers
{
public:
    PieceWorkers(const Decoder &decoder, const Encoder &encoder, unsigned count)
        : m_sourceName(nameOf(decoder.converter)), m_targetName(nameOf(encoder.converter))
    {
        for (unsigned i = 0; i < count; ++i)
            m_threads.emplace_back([this] { work(); });
    }

    ~PieceWorkers()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
    }

    void submit(Piece *piece)
    {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(piece);
        }
        m_wake.notify_one();
    }

    void waitFor(const Piece &piece)
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return piece.converted; });
    }

private:
    void work()
    {
        Decoder decoder{Converter(m_sourceName), 0};
        Encoder encoder{Converter(m_targetName), {}};
        ConversionBuffers buffers(0);
        for (;;) {
            Piece *piece = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
                if (m_stopping)
                    return;
                piece = m_queue.front();
                m_queue.pop_front();
            }
            convert(*piece, decoder, encoder, buffers);
            {
                std::lock_guard lock(m_mutex);
                piece->converted = true;
            }
            m_done.notify_all();
        }
    }

    static void convert(Piece &piece, Decoder &decoder, Encoder &encoder,
                        ConversionBuffers &buffers)
    {
        try {
            decoder.converter.reset();
            encoder.converter.reset();
            Transcoder transcoder(decoder, encoder, buffers);
            StringSink sink(piece.output);
            const char *begin = piece.input.data();
            piece.failed = !transcoder.convert(begin, begin + piece.input.size(), true, sink);
        } catch (...) {
            piece.exception = std::current_exception();
        }
    }

    const std::string m_sourceName;
    const std::string m_targetName;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<Piece *> m_queue;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

// Reads the next piece: what the previous read left after its last line feed,
// then more input up to the piece size, cut after its own last line feed.
class PieceReader
{
public:
    PieceReader(InputFile &input, const PieceBoundary &boundary, std::size_t pieceSize)
        : m_input(input), m_boundary(boundary), m_pieceSize(pieceSize)
    {
    }

    bool atEnd() const { return m_atEnd && m_rest.empty(); }

    // False when a whole piece holds no line feed.
    bool read(std::string &piece)
    {
        piece.swap(m_rest);
        m_rest.clear();
        std::size_t filled = piece.size();
        piece.resize(std::max(m_pieceSize, filled));
        while (filled < piece.size() && !m_atEnd) {
            const std::size_t count = m_input.read(piece.data() + filled, piece.size() - filled);
            m_atEnd = count == 0;
            filled += count;
        }
        piece.resize(filled);
        if (m_atEnd)
            return true;
        const char *cut = lastBoundary(piece.data(), piece.data() + filled, m_boundary);
        if (cut == nullptr)
            return false;
        m_rest.assign(cut, static_cast<std::size_t>(piece.data() + filled - cut));
        piece.resize(static_cast<std::size_t>(cut - piece.data()));
        return true;
    }

private:
    InputFile &m_input;
    const PieceBoundary &m_boundary;
    const std::size_t m_pieceSize;
    std::string m_rest;
    bool m_atEnd = false;
};

// A piece that was written out, emptied, keeps its buffers' capacity.
std::unique_ptr<Piece> reuse(std::vector<std::unique_ptr<Piece>> &spare)
{
    if (spare.empty())
        return std::make_unique<Piece>();
    std::unique_ptr<Piece> piece = std::move(spare.back());
    spare.pop_back();
    piece->output.clear();
    piece->converted = false;
    piece->failed = false;
    piece->exception = nullptr;
    return piece;
}

} // namespace

std::optional<StreamStatus> convertInPieces(InputFile &input, std::uint64_t offset,
                                            const Decoder &decoder, const Encoder &encoder,
                                            const PieceBoundary &boundary, ByteSink &output,
                                            const ConvertOptions &options)
{
    const unsigned workers = options.workers;
    // Enough pieces in flight to keep every worker busy while the oldest is
    // written, and few enough to keep memory small.
    const std::size_t window = std::min<std::size_t>(workers + 2, 12);
    const std::size_t pieceSize = options.pieceSize == 0 ? kDefaultPieceSize : options.pieceSize;
    PieceReader reader(input, boundary, pieceSize);
    std::deque<std::unique_ptr<Piece>> inFlight;
    std::vector<std::unique_ptr<Piece>> spare;
    MarkedOutput sink(encoder.mark, output);
    PieceWorkers pool(decoder, encoder, workers);
    for (;;) {
        while (inFlight.size() < window && !reader.atEnd()) {
            std::unique_ptr<Piece> piece = reuse(spare);
            if (!reader.read(piece->input))
                return std::nullopt;
            pool.submit(piece.get());
            inFlight.push_back(std::move(piece));
        }
        if (inFlight.empty())
            return StreamStatus::Completed;
        if (isCancelled(options.cancel))
            return StreamStatus::Cancelled;
        Piece &oldest = *inFlight.front();
        pool.waitFor(oldest);
        if (oldest.exception)
            std::rethrow_exception(oldest.exception);
        if (oldest.failed)
            return StreamStatus::Failed;
        sink.write(oldest.output.data(), oldest.output.size());
        offset += oldest.input.size();
        if (options.onBytes)
            options.onBytes(offset, input.size());
        spare.push_back(std::move(inFlight.front()));
        inFlight.pop_front();
    }
}

} // namespace velloran
