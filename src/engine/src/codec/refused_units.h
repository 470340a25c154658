// SPDX-License-Identifier: GPL-3.0-or-later
// The decoded units a source may not hold although ICU decodes them: the
// private-use characters a vendor table gives a lone byte (GBK's and Big5's
// 0xFF read as U+F8F5 and U+F8F8), which no text has and no other decoder of
// those encodings accepts, and, where private use is refused, every
// private-use character.
#pragma once

#include "codec/converter.h"
#include "codec/private_use.h"

#include <string>

namespace velloran {

class RefusedUnits
{
public:
    RefusedUnits(const Converter &converter, PrivateUse privateUse);

    bool any() const { return m_privateUse == PrivateUse::Refused || !m_loneBytes.empty(); }
    bool refuses(UChar unit) const
    {
        return (m_privateUse == PrivateUse::Refused && isPrivateUse(unit)) ||
               (isPrivateUse(unit) && m_loneBytes.find(unit) != std::u16string::npos);
    }

private:
    PrivateUse m_privateUse;
    // What the lone bytes of 0x80 and above that read as private use read as.
    std::u16string m_loneBytes;
};

} // namespace velloran
