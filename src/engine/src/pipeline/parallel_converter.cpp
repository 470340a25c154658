// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/parallel_converter.h"

#include "pipeline/cancellation.h"
#include "pipeline/piece_workers.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace velloran {

namespace {

// Reads the next piece: what the previous read left after its last line feed,
// then more input up to the piece size, cut after its own last line feed.
class PieceReader
{
public:
    PieceReader(InputFile::Reader &input, const PieceBoundary &boundary, std::size_t pieceSize)
        : m_input(input), m_boundary(boundary), m_pieceSize(pieceSize)
    {
    }

    bool atEnd() const { return m_atEnd && m_rest.empty(); }

    // False when a whole piece holds no line feed.
    bool read(Piece &piece)
    {
        const std::size_t capacity = std::max(m_pieceSize, m_rest.size());
        if (piece.inputCapacity < capacity) {
            // Not a std::string: resizing one would first fill it with zeros.
            piece.input.reset(new char[capacity]);
            piece.inputCapacity = capacity;
        }
        char *bytes = piece.input.get();
        std::memcpy(bytes, m_rest.data(), m_rest.size());
        std::size_t filled = m_rest.size();
        m_rest.clear();
        while (filled < capacity && !m_atEnd) {
            const std::size_t count = m_input.read(bytes + filled, capacity - filled);
            m_atEnd = count == 0;
            filled += count;
        }
        piece.inputSize = filled;
        if (m_atEnd)
            return true;
        const char *cut = lastBoundary(bytes, bytes + filled, m_boundary);
        if (cut == nullptr)
            return false;
        m_rest.assign(cut, static_cast<std::size_t>(bytes + filled - cut));
        piece.inputSize = static_cast<std::size_t>(cut - bytes);
        return true;
    }

private:
    InputFile::Reader &m_input;
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

ConversionStatus convertInPieces(InputFile::Reader &input, const Decoder &decoder,
                                 const Encoder &encoder, const PieceBoundary &boundary,
                                 ByteSink &output, const ConvertOptions &options)
{
    // Enough pieces in flight to keep every worker busy while the oldest is
    // written, and few enough to keep memory small: at most 12 pieces, each
    // its input and at most four times that once converted (ASCII to UTF-32),
    // 30 MiB with the default piece size.
    constexpr unsigned kMostWorkers = 10;
    const unsigned workers = std::min(options.workers, kMostWorkers);
    const std::size_t window = workers + 2;
    const std::size_t pieceSize =
        options.tuning.pieceSize == 0 ? kDefaultPieceSize : options.tuning.pieceSize;
    // Converted input so far, the mark included, as the conversion chunk by chunk counts it.
    std::uint64_t written = input.position();
    PieceReader reader(input, boundary, pieceSize);
    std::deque<std::unique_ptr<Piece>> inFlight;
    std::vector<std::unique_ptr<Piece>> spare;
    MarkedOutput sink(encoder.mark, output);
    // This thread converts too while it waits for the oldest piece, so
    // `workers` threads convert in all.
    PieceWorkers pool(decoder, encoder, workers - 1);
    for (;;) {
        while (inFlight.size() < window && !reader.atEnd()) {
            std::unique_ptr<Piece> piece = reuse(spare);
            if (!reader.read(*piece))
                return ConversionStatus::NotSplittable;
            pool.submit(piece.get());
            inFlight.push_back(std::move(piece));
        }
        if (inFlight.empty())
            return ConversionStatus::Completed;
        if (isCancelled(options.cancel))
            return ConversionStatus::Cancelled;
        Piece &oldest = *inFlight.front();
        pool.waitFor(oldest);
        if (oldest.exception)
            std::rethrow_exception(oldest.exception);
        if (oldest.failed)
            return ConversionStatus::Failed;
        sink.write(oldest.output.data(), oldest.output.size());
        written += oldest.inputSize;
        if (options.onBytes)
            options.onBytes(written, input.size());
        spare.push_back(std::move(inFlight.front()));
        inFlight.pop_front();
    }
}

} // namespace velloran
