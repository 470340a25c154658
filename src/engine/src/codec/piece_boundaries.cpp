#include "codec/piece_boundaries.h"

#include "codec/encoding_cache.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace velloran {

namespace {

// True when 0x0A is rejected after every incomplete character: walks all byte
// prefixes that leave ICU waiting, up to the longest character.
bool lineFeedByteNeverContinues(Converter &converter)
{
    std::vector<std::string> prefixes = {""};
    const int longest = ucnv_getMaxCharSize(converter.get());
    for (int length = 1; length < longest && !prefixes.empty(); ++length) {
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
                if (decoded.pending)
                    longer.push_back(bytes);
            }
        }
        prefixes = std::move(longer);
    }
    for (const std::string &prefix : prefixes)
        if (!prefix.empty() && converter.decodeAlone(prefix + '\n').valid)
            return false;
    return true;
}

bool isStatelessByteEncoding(const Converter &converter)
{
    return converter.isTableConverter() || converter.isUtf8();
}

std::optional<PieceBoundary> computeBoundary(Converter &source)
{
    const std::string lineFeed = source.encode(u"\n");
    if (source.isFixedUnitUnicode())
        return PieceBoundary{lineFeed, lineFeed.size()};
    if (isStatelessByteEncoding(source) && lineFeed == "\n" && lineFeedByteNeverContinues(source))
        return PieceBoundary{lineFeed, 1};
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

std::uint64_t countLineFeeds(const char *begin, const char *end, const PieceBoundary &boundary)
{
    if (boundary.unit == 1)
        return static_cast<std::uint64_t>(std::count(begin, end, boundary.lineFeed[0]));
    const std::string_view text(begin, static_cast<std::size_t>(end - begin));
    std::uint64_t count = 0;
    for (std::size_t at = 0; at + boundary.unit <= text.size(); at += boundary.unit)
        count += text.substr(at, boundary.unit) == boundary.lineFeed;
    return count;
}

} // namespace velloran
