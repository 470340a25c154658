#include "table_codec.h"

#include <algorithm>

namespace velloran {

namespace {

// Fast paths may only resume once ICU holds no partial character, and ICU
// must hand over any output it kept back for lack of room first.
struct IcuHandOver
{
    bool owesOutput = false;

    Step settle(UErrorCode error)
    {
        owesOutput = error == U_BUFFER_OVERFLOW_ERROR;
        if (owesOutput)
            return Step::TargetFull;
        return U_FAILURE(error) ? Step::Failed : Step::Done;
    }
};

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
        while (source != end || m_handOver.owesOutput) {
            if (targetEnd - target < kIcuCharacterRoom)
                return Step::TargetFull;
            if (!m_icuBusy && !m_handOver.owesOutput) {
                lookUp(source, end, target, targetEnd - kIcuCharacterRoom);
                if (source == end || targetEnd - target < kIcuCharacterRoom)
                    continue;
            }
            if (const Step step =
                    throughIcu(source, std::min(end, source + kIcuWindow), target, targetEnd);
                step != Step::Done)
                return step;
        }
        return last ? flush(target, targetEnd) : Step::Done;
    }

private:
    // Decodes characters found in the table until one is not, the input ends
    // or `targetLimit` is reached.
    void lookUp(const char *&source, const char *end, UChar *&target,
                const UChar *targetLimit) const
    {
        const UChar *single = m_table->single.data();
        const UChar *pair = m_table->pair.data();
        auto *in = reinterpret_cast<const unsigned char *>(source);
        const auto *inEnd = reinterpret_cast<const unsigned char *>(end);
        UChar *out = target;
        while (in != inEnd && out < targetLimit) {
            UChar unit = single[*in];
            if (unit != DecodeTable::kAbsent) {
                *out++ = unit;
                ++in;
                continue;
            }
            if (inEnd - in < 2)
                break;
            unit = pair[in[0] * 256 + in[1]];
            if (unit == DecodeTable::kAbsent)
                break;
            *out++ = unit;
            in += 2;
        }
        source = reinterpret_cast<const char *>(in);
        target = out;
    }

    Step throughIcu(const char *&source, const char *end, UChar *&target, UChar *targetEnd)
    {
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, targetEnd, &source, end, nullptr, false,
                       &error);
        UErrorCode countError = U_ZERO_ERROR;
        m_icuBusy = ucnv_toUCountPending(m_converter.get(), &countError) > 0;
        return m_handOver.settle(error);
    }

    // A character still incomplete at the end is truncated; ICU says so.
    Step flush(UChar *&target, UChar *targetEnd)
    {
        const char *none = nullptr;
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, targetEnd, &none, none, nullptr, true, &error);
        m_icuBusy = false;
        return m_handOver.settle(error);
    }

    Converter &m_converter;
    std::shared_ptr<const DecodeTable> m_table;
    IcuHandOver m_handOver;
    bool m_icuBusy = false;
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
        while (source != end || m_handOver.owesOutput) {
            if (targetEnd - target < kIcuCharacterRoom)
                return Step::TargetFull;
            if (!m_icuBusy && !m_handOver.owesOutput) {
                lookUp(source, end, target, targetEnd - kIcuCharacterRoom);
                if (source == end || targetEnd - target < kIcuCharacterRoom)
                    continue;
            }
            if (const Step step = throughIcu(source, source + (source != end), target, targetEnd);
                step != Step::Done)
                return step;
        }
        return last ? throughIcu(source, end, target, targetEnd, true) : Step::Done;
    }

private:
    // Encodes units found in the table until one is not, the input ends or
    // `targetLimit` is reached.
    void lookUp(const UChar *&source, const UChar *end, char *&target,
                const char *targetLimit) const
    {
        const std::uint32_t *bytes = m_table->bytes.data();
        const UChar *in = source;
        char *out = target;
        while (in != end && out < targetLimit) {
            const std::uint32_t entry = bytes[*in];
            if (entry == 0)
                break;
            if (entry >> 16 == 2)
                *out++ = static_cast<char>(entry >> 8);
            *out++ = static_cast<char>(entry);
            ++in;
        }
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
        m_icuBusy = ucnv_fromUCountPending(m_converter.get(), &countError) > 0;
        return m_handOver.settle(error);
    }

    Converter &m_converter;
    std::shared_ptr<const EncodeTable> m_table;
    IcuHandOver m_handOver;
    bool m_icuBusy = false;
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
