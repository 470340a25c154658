// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/piece_boundaries.h"

#include "codec/encoding_cache.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

namespace {

// True when 0x0A is rejected after every incomplete character: walks all byte
// prefixes that leave ICU waiting, up to the longest character. The longest
// of them (GB18030 has 158,760 of three bytes) are only tried with a line
// feed after them, not kept.
bool lineFeedByteNeverContinues(Converter &converter)
{
    std::vector<std::string> prefixes = {""};
    const int longest = ucnv_getMaxCharSize(converter.get());
    for (int length = 1; length < longest && !prefixes.empty(); ++length) {
        const bool longestPrefixes = length + 1 == longest;
        std::vector<std::string> longer;
        for (const std::string &prefix : prefixes) {
            for (int byte = 0; byte < 256; ++byte) {
                const std::string bytes = prefix + static_cast<char>(byte);
                const Converter::Decoded decoded = converter.decodeAlone(bytes);
                const bool complete = decoded.valid && !decoded.pending;
                // A line feed is a character of its own at the start, and
                // invalid after any incomplete character.
                if (byte == '\n' && (prefix.empty() ? !complete : decoded.valid))
                    return false;
                if (decoded.pending && longestPrefixes && converter.decodeAlone(bytes + '\n').valid)
                    return false;
                if (decoded.pending && !longestPrefixes)
                    longer.push_back(bytes);
            }
        }
        prefixes = std::move(longer);
    }
    return true;
}

bool isStatelessByteEncoding(const Converter &converter)
{
    return converter.isTableConverter() || converter.isUtf8();
}

std::optional<PieceBoundary> computeBoundary(Converter &source)
{
    const std::optional<std::string> lineFeed = source.encode(u"\n");
    const std::optional<std::string> carriageReturn = source.encode(u"\r");
    if (!lineFeed || !carriageReturn)
        return std::nullopt;
    if (source.isFixedUnitUnicode())
        return PieceBoundary{*lineFeed, *carriageReturn, lineFeed->size()};
    if (isStatelessByteEncoding(source) && *lineFeed == "\n" && *carriageReturn == "\r" &&
        lineFeedByteNeverContinues(source))
        return PieceBoundary{*lineFeed, *carriageReturn, 1};
    return std::nullopt;
}

} // namespace

std::optional<PieceBoundary> pieceBoundaryFor(const Converter &source, const Converter &target)
{
    if (!isStatelessByteEncoding(target) && !target.isFixedUnitUnicode())
        return std::nullopt;
    return rememberedFor(source, "piece boundary", computeBoundary);
}

const char *lastBoundary(const char *begin, const char *end, const PieceBoundary &boundary)
{
    const std::string_view text(begin, static_cast<std::size_t>(end - begin));
    for (std::size_t at = text.rfind(boundary.lineFeed); at != std::string_view::npos;
         at = at == 0 ? std::string_view::npos : text.rfind(boundary.lineFeed, at - 1)) {
        if (at % boundary.unit == 0)
            return begin + at + boundary.lineFeed.size();
    }
    return nullptr;
}

} // namespace velloran
