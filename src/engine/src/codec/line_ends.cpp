// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/line_ends.h"

#include <cstring>
#include <string_view>

namespace velloran {

namespace {

// How many `byte`s [begin, end) holds: one memchr a line, which beats a
// byte-by-byte count several times over on lines of text.
std::uint64_t countByte(const char *begin, const char *end, char byte)
{
    std::uint64_t count = 0;
    for (const char *at = begin;
         (at = static_cast<const char *>(std::memchr(at, byte, std::size_t(end - at)))) != nullptr;
         ++at)
        ++count;
    return count;
}

// How many line feeds of [begin, end) follow a carriage return.
std::uint64_t countPairs(const char *begin, const char *end, bool afterCarriageReturn)
{
    std::uint64_t count = 0;
    for (const char *at = begin;
         (at = static_cast<const char *>(std::memchr(at, '\n', std::size_t(end - at)))) != nullptr;
         ++at)
        count += at == begin ? afterCarriageReturn : at[-1] == '\r';
    return count;
}

} // namespace

void LineEnds::count(const UChar *begin, const UChar *end)
{
    for (const UChar *at = begin; at != end; ++at) {
        m_ends += *at == u'\r' || (*at == u'\n' && !m_afterCarriageReturn);
        m_afterCarriageReturn = *at == u'\r';
    }
}

// In the byte encodings whose chunks can be cut (piece_boundaries.h) the
// bytes 0x0A and 0x0D are never part of another character.
void LineEnds::count(const char *begin, const char *end, const PieceBoundary &boundary)
{
    if (begin == end)
        return;
    if (boundary.unit == 1) {
        m_ends += countByte(begin, end, '\r') + countByte(begin, end, '\n') -
                  countPairs(begin, end, m_afterCarriageReturn);
        m_afterCarriageReturn = end[-1] == '\r';
        return;
    }
    const std::string_view text(begin, static_cast<std::size_t>(end - begin));
    for (std::size_t at = 0; at + boundary.unit <= text.size(); at += boundary.unit) {
        const std::string_view unit = text.substr(at, boundary.unit);
        const bool lineFeed = unit == boundary.lineFeed;
        const bool carriageReturn = unit == boundary.carriageReturn;
        m_ends += carriageReturn || (lineFeed && !m_afterCarriageReturn);
        m_afterCarriageReturn = carriageReturn;
    }
}

} // namespace velloran
