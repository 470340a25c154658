// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/derived_tables.h"

#include "codec/encoding_cache.h"
#include "codec/text_codec.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <string_view>

namespace velloran {

namespace {

// What ICU decodes `bytes` into, as one character from the initial state, or
// kAbsent when that is not exactly one non-surrogate unit with nothing held
// back, or when it is a private-use character (see DecodeTable). `pending`
// tells whether ICU waits for more bytes.
UChar singleUnit(Converter &converter, std::string_view bytes, bool &pending)
{
    const Converter::Decoded decoded = converter.decodeAlone(bytes);
    pending = decoded.pending;
    if (!decoded.valid || pending || decoded.text.size() != 1 ||
        U16_IS_SURROGATE(decoded.text[0]) || isPrivateUse(decoded.text[0]))
        return DecodeTable::kAbsent;
    return decoded.text[0];
}

std::shared_ptr<const DecodeTable> buildDecodeTable(Converter &converter)
{
    auto table = std::make_shared<DecodeTable>();
    table->pair.assign(256 * 256, DecodeTable::kAbsent);
    for (int lead = 0; lead < 256; ++lead) {
        const char bytes[2] = {static_cast<char>(lead), 0};
        bool waitsForMore = false;
        table->single[lead] = singleUnit(converter, std::string_view(bytes, 1), waitsForMore);
        for (int trail = 0; waitsForMore && trail < 256; ++trail) {
            const char twoBytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            bool pending = false;
            table->pair[lead * 256 + trail] =
                singleUnit(converter, std::string_view(twoBytes, 2), pending);
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

std::uint32_t utf8Entry(UChar unit)
{
    if (unit == DecodeTable::kAbsent)
        return 0;
    std::uint8_t bytes[U8_MAX_LENGTH];
    std::uint32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, unit);
    std::uint32_t entry = length << 24;
    for (std::uint32_t i = 0; i < length; ++i)
        entry |= std::uint32_t{bytes[i]} << 8 * i;
    return entry;
}

std::shared_ptr<const Utf8DecodeTable> buildUtf8DecodeTable(Converter &converter)
{
    const std::shared_ptr<const DecodeTable> decode = decodeTableFor(converter);
    auto table = std::make_shared<Utf8DecodeTable>();
    for (std::size_t byte = 0; byte < 256; ++byte)
        table->single[byte] = utf8Entry(decode->single[byte]);
    table->pair.reserve(decode->pair.size());
    for (const UChar unit : decode->pair)
        table->pair.push_back(utf8Entry(unit));
    return table;
}

} // namespace

std::shared_ptr<const DecodeTable> decodeTableFor(const Converter &converter)
{
    if (!converter.isTableConverter())
        return nullptr;
    return rememberedFor(converter, "decode table", buildDecodeTable);
}

std::shared_ptr<const EncodeTable> encodeTableFor(const Converter &converter)
{
    if (!converter.isTableConverter())
        return nullptr;
    return rememberedFor(converter, "encode table", buildEncodeTable);
}

std::shared_ptr<const Utf8DecodeTable> utf8DecodeTableFor(const Converter &converter)
{
    if (!converter.isTableConverter())
        return nullptr;
    return rememberedFor(converter, "UTF-8 decode table", buildUtf8DecodeTable);
}

} // namespace velloran
