#include "derived_tables.h"

#include <unicode/utf16.h>

#include <map>
#include <mutex>
#include <string>

namespace velloran {

namespace {

bool isTableConverter(const Converter &converter)
{
    switch (converter.type()) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
        return true;
    default:
        return false;
    }
}

// What ICU decodes `count` bytes into, as one character from the initial
// state, or kAbsent when that is not exactly one non-surrogate unit with
// nothing held back. `pending` tells whether ICU waits for more bytes.
UChar decodeAlone(Converter &converter, const char *bytes, int count, bool &pending)
{
    converter.reset();
    UChar units[8];
    UChar *target = units;
    const char *source = bytes;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(converter.get(), &target, units + 8, &source, bytes + count, nullptr, false,
                   &error);
    UErrorCode countError = U_ZERO_ERROR;
    pending = U_SUCCESS(error) && ucnv_toUCountPending(converter.get(), &countError) > 0;
    if (U_FAILURE(error) || pending || target != units + 1 || U16_IS_SURROGATE(units[0]))
        return DecodeTable::kAbsent;
    return units[0];
}

std::shared_ptr<const DecodeTable> buildDecodeTable(Converter &converter)
{
    auto table = std::make_shared<DecodeTable>();
    table->pair.assign(256 * 256, DecodeTable::kAbsent);
    for (int lead = 0; lead < 256; ++lead) {
        const char bytes[2] = {static_cast<char>(lead), 0};
        bool waitsForMore = false;
        table->single[lead] = decodeAlone(converter, bytes, 1, waitsForMore);
        for (int trail = 0; waitsForMore && trail < 256; ++trail) {
            const char twoBytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            bool pending = false;
            table->pair[lead * 256 + trail] = decodeAlone(converter, twoBytes, 2, pending);
        }
    }
    converter.reset();
    return table;
}

// ICU's bytes for one BMP unit, or 0 (see EncodeTable).
std::uint32_t encodeAlone(Converter &converter, UChar unit)
{
    converter.reset();
    char bytes[8];
    char *target = bytes;
    const UChar *source = &unit;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_fromUnicode(converter.get(), &target, bytes + 8, &source, &unit + 1, nullptr, false,
                     &error);
    UErrorCode countError = U_ZERO_ERROR;
    const auto length = target - bytes;
    if (U_FAILURE(error) || ucnv_fromUCountPending(converter.get(), &countError) != 0 ||
        length < 1 || length > 2)
        return 0;
    std::uint32_t value = 0;
    for (auto i = 0; i < length; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return static_cast<std::uint32_t>(length) << 16 | value;
}

std::shared_ptr<const EncodeTable> buildEncodeTable(Converter &converter)
{
    auto table = std::make_shared<EncodeTable>();
    table->bytes.assign(0x10000, 0);
    for (std::uint32_t unit = 0; unit < 0x10000; ++unit)
        if (!U16_IS_SURROGATE(unit))
            table->bytes[unit] = encodeAlone(converter, static_cast<UChar>(unit));
    converter.reset();
    return table;
}

// Built once per converter name and process, then shared read-only by all
// threads; building takes milliseconds, which a batch of small files must
// not pay per file.
template <typename Table, typename Build>
std::shared_ptr<const Table> cached(const Converter &converter, Build build)
{
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const Table>> tables;
    if (!isTableConverter(converter))
        return nullptr;
    UErrorCode error = U_ZERO_ERROR;
    const std::string name = ucnv_getName(converter.get(), &error);
    if (U_FAILURE(error))
        return nullptr;
    std::lock_guard lock(mutex);
    std::shared_ptr<const Table> &table = tables[name];
    if (!table) {
        // A converter of its own, so the caller's keeps its state.
        Converter scratch(name);
        table = build(scratch);
    }
    return table;
}

} // namespace

std::shared_ptr<const DecodeTable> decodeTableFor(const Converter &converter)
{
    return cached<DecodeTable>(converter, buildDecodeTable);
}

std::shared_ptr<const EncodeTable> encodeTableFor(const Converter &converter)
{
    return cached<EncodeTable>(converter, buildEncodeTable);
}

} // namespace velloran
