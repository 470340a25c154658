// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/refused_units.h"

#include "codec/encoding_cache.h"

namespace velloran {

namespace {

std::u16string privateUseOfLoneBytes(Converter &converter)
{
    std::u16string units;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        const char lone = static_cast<char>(byte);
        const Converter::Decoded decoded = converter.decodeAlone(std::string_view(&lone, 1));
        if (decoded.valid && !decoded.pending && decoded.text.size() == 1 &&
            isPrivateUse(decoded.text[0]))
            units += decoded.text[0];
    }
    converter.reset();
    return units;
}

} // namespace

RefusedUnits::RefusedUnits(const Converter &converter, PrivateUse privateUse)
    : m_privateUse(privateUse),
      m_loneBytes(converter.isTableConverter()
                      ? rememberedFor(converter, "private use of lone bytes", privateUseOfLoneBytes)
                      : std::u16string())
{
}

} // namespace velloran
