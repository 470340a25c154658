// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/utf8_codec.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>

namespace velloran {

namespace {

// Bytes of the sequence a lead byte starts; 1 for a byte that cannot start
// one, which u_strFromUTF8 then rejects.
std::ptrdiff_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

// Calls one of ICU's string functions, u_strFromUTF8 or u_strToUTF8, on the
// whole of `begin` to `end`; moves `target` past what it wrote, or leaves it
// where it was when ICU refuses the text.
template <typename Function, typename Source, typename Target>
bool convertWhole(Function function, const Source *begin, const Source *end, Target *&target,
                  Target *targetEnd)
{
    int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    function(target, static_cast<int32_t>(targetEnd - target), &length, begin,
             static_cast<int32_t>(end - begin), &error);
    if (U_FAILURE(error))
        return false;
    target += length;
    return true;
}

} // namespace

const char *completeUtf8End(const char *begin, const char *end)
{
    for (const char *p = end; p != begin && end - p < 4;) {
        --p;
        const auto byte = static_cast<unsigned char>(*p);
        if (!U8_IS_TRAIL(byte))
            return p + sequenceLength(byte) > end ? p : end;
    }
    return end;
}

bool decodeUtf8(const char *begin, const char *end, UChar *&target, UChar *targetEnd)
{
    return convertWhole(u_strFromUTF8, begin, end, target, targetEnd);
}

namespace {

class Utf8Decoder : public TextDecoder
{
public:
    Step decode(const char *&source, const char *end, UChar *&target, UChar *targetEnd,
                bool last) override
    {
        if (m_carryLength > 0) {
            while (m_carryLength < m_carryNeeded && m_carryLength < 4 && source != end)
                m_carry[m_carryLength++] = *source++;
            if (m_carryLength < m_carryNeeded)
                return last ? Step::Failed : Step::Done;
            if (targetEnd - target < 2)
                return Step::TargetFull;
            if (!decodeUtf8(m_carry, m_carry + m_carryLength, target, targetEnd))
                return Step::Failed;
            m_carryLength = 0;
        }
        while (source != end) {
            // A byte never gives more than one UTF-16 unit.
            const std::ptrdiff_t room = targetEnd - target;
            if (room < 4)
                return Step::TargetFull;
            const char *sliceEnd = source + std::min(end - source, room);
            const char *cut = completeUtf8End(source, sliceEnd);
            if (!decodeUtf8(source, cut, target, targetEnd))
                return Step::Failed;
            source = cut;
            if (sliceEnd == end && cut != end)
                keep(source, end);
        }
        return last && m_carryLength > 0 ? Step::Failed : Step::Done;
    }

    bool idle() const override { return m_carryLength == 0; }

private:
    void keep(const char *&source, const char *end)
    {
        m_carryNeeded = sequenceLength(static_cast<unsigned char>(*source));
        while (source != end && m_carryLength < 4)
            m_carry[m_carryLength++] = *source++;
    }

    char m_carry[4] = {};
    std::ptrdiff_t m_carryLength = 0;
    std::ptrdiff_t m_carryNeeded = 0;
};

class Utf8Encoder : public TextEncoder
{
public:
    Step encode(const UChar *&source, const UChar *end, char *&target, char *targetEnd,
                bool last) override
    {
        if (m_heldLead != 0) {
            if (targetEnd - target < 4)
                return Step::TargetFull;
            UChar units[2] = {m_heldLead, 0};
            std::ptrdiff_t count = 1;
            if (source != end && U16_IS_TRAIL(*source))
                units[count++] = *source++;
            else if (source == end && !last)
                return Step::Done;
            m_heldLead = 0;
            if (!convert(units, units + count, target, targetEnd))
                return Step::Failed;
        }
        while (source != end) {
            // Three bytes are the most one UTF-16 unit becomes.
            const std::ptrdiff_t room = (targetEnd - target) / 3;
            if (room < 2)
                return Step::TargetFull;
            const UChar *sliceEnd = source + std::min(end - source, room);
            // A pair is never split; at the end of the text an unpaired lead
            // goes to u_strToUTF8, which rejects it like the converter would.
            if (U16_IS_LEAD(sliceEnd[-1]) && (sliceEnd != end || !last))
                --sliceEnd;
            if (!convert(source, sliceEnd, target, targetEnd))
                return Step::Failed;
            source = sliceEnd;
            if (source + 1 == end && U16_IS_LEAD(*source) && !last)
                m_heldLead = *source++;
        }
        return Step::Done;
    }

    bool idle() const override { return m_heldLead == 0; }

private:
    static bool convert(const UChar *begin, const UChar *end, char *&target, char *targetEnd)
    {
        return convertWhole(u_strToUTF8, begin, end, target, targetEnd);
    }

    UChar m_heldLead = 0;
};

} // namespace

std::unique_ptr<TextDecoder> makeUtf8Decoder(Converter &)
{
    return std::make_unique<Utf8Decoder>();
}

std::unique_ptr<TextEncoder> makeUtf8Encoder(Converter &)
{
    return std::make_unique<Utf8Encoder>();
}

} // namespace velloran
