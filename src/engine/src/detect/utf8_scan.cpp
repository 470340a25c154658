// SPDX-License-Identifier: GPL-3.0-or-later
#include "detect/utf8_scan.h"

#include <unicode/utf8.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace velloran {

namespace {

// Eight bytes, all ASCII and none of them NUL.
bool isPlainAsciiWord(const char *bytes)
{
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    constexpr std::uint64_t kLowBits = 0x0101010101010101;
    const std::uint64_t hasZero = (word - kLowBits) & ~word & kHighBits;
    return ((word & kHighBits) | hasZero) == 0;
}

} // namespace

void Utf8Scan::seen(std::string_view bytes)
{
    const std::uint64_t end = m_seen + bytes.size();
    if (m_valid && m_pendingNeeded != 0)
        completePending(bytes);
    if (m_valid)
        scan(bytes, end - bytes.size());
    m_seen = end;
}

void Utf8Scan::finish()
{
    if (m_pendingNeeded != 0)
        m_valid = false;
}

void Utf8Scan::completePending(std::string_view &bytes)
{
    while (m_pendingLength < m_pendingNeeded && !bytes.empty()) {
        if (!U8_IS_TRAIL(bytes.front())) {
            m_valid = false;
            return;
        }
        m_pending[m_pendingLength++] = bytes.front();
        bytes.remove_prefix(1);
    }
    if (m_pendingLength < m_pendingNeeded)
        return;
    const auto length = static_cast<int32_t>(m_pendingLength);
    int32_t at = 0;
    UChar32 character = 0;
    U8_NEXT(reinterpret_cast<const uint8_t *>(m_pending), at, length, character);
    m_pendingLength = m_pendingNeeded = 0;
    check(at == length ? character : -1, m_pendingAt);
}

void Utf8Scan::scan(std::string_view bytes, std::uint64_t start)
{
    const auto *text = reinterpret_cast<const uint8_t *>(bytes.data());
    const auto length = static_cast<int32_t>(bytes.size());
    for (int32_t i = 0; i < length && m_valid;) {
        if (i + 8 <= length && isPlainAsciiWord(bytes.data() + i)) {
            i += 8;
            continue;
        }
        if (text[i] < 0x80) {
            m_valid = text[i] != 0;
            ++i;
            continue;
        }
        const int32_t needed = U8_IS_LEAD(text[i]) ? U8_COUNT_TRAIL_BYTES(text[i]) + 1 : 0;
        if (needed > 1 && i + needed > length) {
            // Cut by the end of these bytes: the next ones complete it.
            m_pendingNeeded = static_cast<std::size_t>(needed);
            m_pendingLength = 0;
            m_pendingAt = start + static_cast<std::uint64_t>(i);
            for (; i < length; ++i)
                m_pending[m_pendingLength++] = bytes[static_cast<std::size_t>(i)];
            for (std::size_t k = 1; k < m_pendingLength; ++k)
                m_valid = m_valid && U8_IS_TRAIL(m_pending[k]);
            return;
        }
        const auto at = start + static_cast<std::uint64_t>(i);
        UChar32 character = 0;
        U8_NEXT(text, i, length, character);
        check(character, at);
    }
}

void Utf8Scan::check(UChar32 character, std::uint64_t at)
{
    // Planes 4 to 13 have no characters at all.
    if (character < 0 || (character >= 0x40000 && character < 0xE0000) ||
        (m_privateUse == PrivateUse::Refused && isPrivateUseCharacter(character)))
        m_valid = false;
    m_wide = m_wide || character >= 0x800;
    m_text = m_text || character >= 0xA0;
    if (m_valid && m_wide && !m_firstWide)
        m_firstWide = at;
}

bool isUtf8Text(InputFile &input)
{
    constexpr std::size_t kChunkSize = 1 << 20;
    Utf8Scan scan(PrivateUse::Refused);
    InputFile::Reader reader = input.from(0, &scan);
    std::vector<char> chunk(kChunkSize);
    while (scan.valid() && reader.read(chunk.data(), chunk.size()) != 0) {
    }
    scan.finish();
    return scan.isText();
}

} // namespace velloran
