#include "piece_boundaries.h"

#include <map>
#include <mutex>
#include <string_view>
#include <vector>

namespace velloran {

namespace {

enum class Continuation
{
    Error,   // ICU rejects the bytes
    Pending, // ICU waits for more bytes of a character
    Complete,
};

Continuation decodeAlone(Converter &converter, std::string_view bytes)
{
    converter.reset();
    UChar units[32];
    UChar *target = units;
    const char *source = bytes.data();
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(converter.get(), &target, units + 32, &source, bytes.data() + bytes.size(),
                   nullptr, false, &error);
    if (U_FAILURE(error))
        return Continuation::Error;
    UErrorCode countError = U_ZERO_ERROR;
    return ucnv_toUCountPending(converter.get(), &countError) > 0 ? Continuation::Pending
                                                                  : Continuation::Complete;
}

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
                const Continuation result = decodeAlone(converter, bytes);
                if (byte == '\n' && result != (prefix.empty() ? Continuation::Complete
                                                              : Continuation::Error))
                    return false;
                if (result == Continuation::Pending)
                    longer.push_back(bytes);
            }
        }
        prefixes = std::move(longer);
    }
    for (const std::string &prefix : prefixes)
        if (!prefix.empty() && decodeAlone(converter, prefix + '\n') != Continuation::Error)
            return false;
    return true;
}

bool isFixedUnitUnicode(UConverterType type)
{
    return type == UCNV_UTF16_LittleEndian || type == UCNV_UTF16_BigEndian ||
           type == UCNV_UTF32_LittleEndian || type == UCNV_UTF32_BigEndian;
}

bool isStatelessByteEncoding(UConverterType type)
{
    return type == UCNV_SBCS || type == UCNV_DBCS || type == UCNV_MBCS || type == UCNV_UTF8;
}

std::optional<PieceBoundary> computeBoundary(Converter &source)
{
    const UConverterType type = source.type();
    const std::string lineFeed = source.encode(u"\n");
    source.reset();
    if (isFixedUnitUnicode(type))
        return PieceBoundary{lineFeed, lineFeed.size()};
    if (isStatelessByteEncoding(type) && lineFeed == "\n" &&
        lineFeedByteNeverContinues(source))
        return PieceBoundary{lineFeed, 1};
    return std::nullopt;
}

} // namespace

std::optional<PieceBoundary> pieceBoundaryFor(const Converter &source, const Converter &target)
{
    const UConverterType targetType = target.type();
    if (!isStatelessByteEncoding(targetType) && !isFixedUnitUnicode(targetType))
        return std::nullopt;
    UErrorCode error = U_ZERO_ERROR;
    const std::string name = ucnv_getName(source.get(), &error);
    if (U_FAILURE(error))
        return std::nullopt;
    static std::mutex mutex;
    static std::map<std::string, std::optional<PieceBoundary>> known;
    std::lock_guard lock(mutex);
    const auto found = known.find(name);
    if (found != known.end())
        return found->second;
    Converter scratch(name);
    return known[name] = computeBoundary(scratch);
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
