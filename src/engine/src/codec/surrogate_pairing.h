// SPDX-License-Identifier: GPL-3.0-or-later
// Whether decoded UTF-16 text, arriving in parts, pairs its surrogates. Most
// of ICU's decoders reject an unpaired surrogate themselves, but UTF-7 and a
// few others pass one on, and an encoder cannot tell it from a pair split
// between two calls until the very end.
#pragma once

#include <unicode/utf16.h>

namespace velloran {

class SurrogatePairing
{
public:
    // The first unit of [begin, end) where the pairing breaks: an unpaired
    // trail, or the unit after an unpaired lead (`begin` when the lead ended
    // the previous part); nullptr when there is none.
    const UChar *firstUnpaired(const UChar *begin, const UChar *end)
    {
        for (const UChar *unit = begin; unit != end; ++unit) {
            if (m_openLead) {
                m_openLead = false;
                if (!U16_IS_TRAIL(*unit))
                    return unit;
            } else if (U16_IS_LEAD(*unit)) {
                m_openLead = true;
            } else if (U16_IS_TRAIL(*unit)) {
                return unit;
            }
        }
        return nullptr;
    }

    // At the end of the text: a lead still waits for its trail.
    bool leadLeftOpen() const { return m_openLead; }

    void reset() { m_openLead = false; }

private:
    bool m_openLead = false;
};

} // namespace velloran
