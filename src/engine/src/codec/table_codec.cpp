// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/table_codec.h"

#include <algorithm>

namespace velloran {

namespace {

// Fast paths may only resume once ICU holds no partial character, and ICU
// must hand over any output it kept back for lack of room first.
struct IcuHandOver
{
    bool owesOutput = false;
    bool busy = false; // ICU holds part of a character

    bool idle() const { return !busy && !owesOutput; }

    Step settle(UErrorCode error)
    {
        owesOutput = error == U_BUFFER_OVERFLOW_ERROR;
        if (owesOutput)
            return Step::TargetFull;
        return U_FAILURE(error) ? Step::Failed : Step::Done;
    }
};

// The loop both directions share: table lookups for as long as they go, then
// one step through ICU, until the input is used up or the target is full.
// `lookUp(limit)` fills the target no further than `limit`; `throughIcu()`
// hands ICU the next character.
template <typename In, typename Out, typename LookUp, typename ThroughIcu>
Step alternate(IcuHandOver &icu, const In *&source, const In *end, Out *&target, Out *targetEnd,
               LookUp lookUp, ThroughIcu throughIcu)
{
    while (source != end || icu.owesOutput) {
        if (targetEnd - target < kIcuCharacterRoom)
            return Step::TargetFull;
        if (!icu.busy && !icu.owesOutput) {
            lookUp(targetEnd - kIcuCharacterRoom);
            if (source == end || targetEnd - target < kIcuCharacterRoom)
                continue;
        }
        if (const Step step = throughIcu(); step != Step::Done)
            return step;
    }
    return Step::Done;
}

// Up to this many bytes go to ICU per call on the slow path: one character
// of any table converter, so ICU never decodes far past where it is needed.
constexpr std::ptrdiff_t kIcuWindow = 4;

class TableDecoder : public TextDecoder
{
public:
    TableDecoder(Converter &converter, std::shared_ptr<const DecodeTable> table)
        : m_converter(converter), m_table(std::move(table))
    {
    }

    Step decode(const char *&source, const char *end, UChar *&target, UChar *targetEnd,
                bool last) override
    {
        const Step step = alternate(
            m_handOver, source, end, target, targetEnd,
            [&](const UChar *limit) { lookUp(source, end, target, limit); },
            [&] {
                return throughIcu(source, std::min(end, source + kIcuWindow), target, targetEnd);
            });
        if (step != Step::Done)
            return step;
        return last ? flush(target, targetEnd) : Step::Done;
    }

    bool idle() const override { return m_handOver.idle(); }

private:
    // Decodes characters found in the table until one is not, the input ends
    // or `targetLimit` is reached.
    void lookUp(const char *&source, const char *end, UChar *&target,
                const UChar *targetLimit) const
    {
        const DecodeTable::Reader reader = m_table->reader();
        auto *in = reinterpret_cast<const Byte *>(source);
        const auto *inEnd = reinterpret_cast<const Byte *>(end);
        UChar *out = target;
        while (in != inEnd && out < targetLimit && reader.read(in, inEnd, *out))
            ++out;
        source = reinterpret_cast<const char *>(in);
        target = out;
    }

    Step throughIcu(const char *&source, const char *end, UChar *&target, UChar *targetEnd)
    {
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, targetEnd, &source, end, nullptr, false, &error);
        UErrorCode countError = U_ZERO_ERROR;
        m_handOver.busy = ucnv_toUCountPending(m_converter.get(), &countError) > 0;
        return m_handOver.settle(error);
    }

    // A character still incomplete at the end is truncated; ICU says so.
    Step flush(UChar *&target, UChar *targetEnd)
    {
        const char *none = nullptr;
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, targetEnd, &none, none, nullptr, true, &error);
        m_handOver.busy = false;
        return m_handOver.settle(error);
    }

    Converter &m_converter;
    std::shared_ptr<const DecodeTable> m_table;
    IcuHandOver m_handOver;
};

class TableEncoder : public TextEncoder
{
public:
    TableEncoder(Converter &converter, std::shared_ptr<const EncodeTable> table)
        : m_converter(converter), m_table(std::move(table))
    {
    }

    Step encode(const UChar *&source, const UChar *end, char *&target, char *targetEnd,
                bool last) override
    {
        const Step step = alternate(
            m_handOver, source, end, target, targetEnd,
            [&](const char *limit) { lookUp(source, end, target, limit); },
            [&] { return throughIcu(source, source + (source != end), target, targetEnd); });
        if (step != Step::Done)
            return step;
        return last ? throughIcu(source, end, target, targetEnd, true) : Step::Done;
    }

    bool idle() const override { return m_handOver.idle(); }

private:
    // Encodes units found in the table until one is not, the input ends or
    // `targetLimit` is reached.
    void lookUp(const UChar *&source, const UChar *end, char *&target,
                const char *targetLimit) const
    {
        const EncodeTable::Writer writer = m_table->writer();
        const UChar *in = source;
        char *out = target;
        while (in != end && out < targetLimit && writer.write(*in, out))
            ++in;
        source = in;
        target = out;
    }

    // One unit at a time, so ICU never encodes past where it is needed; the
    // flush at the end lets it report a lead surrogate left unpaired.
    Step throughIcu(const UChar *&source, const UChar *end, char *&target, char *targetEnd,
                    bool flush = false)
    {
        UErrorCode error = U_ZERO_ERROR;
        ucnv_fromUnicode(m_converter.get(), &target, targetEnd, &source, end, nullptr, flush,
                         &error);
        UErrorCode countError = U_ZERO_ERROR;
        m_handOver.busy = ucnv_fromUCountPending(m_converter.get(), &countError) > 0;
        return m_handOver.settle(error);
    }

    Converter &m_converter;
    std::shared_ptr<const EncodeTable> m_table;
    IcuHandOver m_handOver;
};

} // namespace

std::unique_ptr<TextDecoder> makeTableDecoder(Converter &converter,
                                              std::shared_ptr<const DecodeTable> table)
{
    return std::make_unique<TableDecoder>(converter, std::move(table));
}

std::unique_ptr<TextEncoder> makeTableEncoder(Converter &converter,
                                              std::shared_ptr<const EncodeTable> table)
{
    return std::make_unique<TableEncoder>(converter, std::move(table));
}

} // namespace velloran
