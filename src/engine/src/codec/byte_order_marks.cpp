// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/byte_order_marks.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace velloran {

namespace {

// ICU's "UTF-16" and "UTF-32" assume big-endian without a mark; ours mean
// little-endian, the byte order Windows programs write.
Converter littleEndianVariantOf(Converter converter)
{
    switch (converter.type()) {
    case UCNV_UTF16:
        return Converter("UTF-16LE");
    case UCNV_UTF32:
        return Converter("UTF-32LE");
    default:
        return converter;
    }
}

} // namespace

// ICU also recognises signatures of UTF-7, SCSU, BOCU-1 and UTF-EBCDIC, but
// those are ordinary text in other encodings ("+/v8" is plain ASCII, DD 73 66
// 73 is GBK text), so only the UTF-8, UTF-16 and UTF-32 marks count. A
// signature whose encoding ICU cannot even open (UTF-EBCDIC) is text too.
// ICU tests FF FE 00 00 (UTF-32LE) before FF FE (UTF-16LE).
std::optional<ByteOrderMark> findByteOrderMark(std::string_view head)
{
    head = head.substr(0, kLongestByteOrderMark);
    int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    const char *name = ucnv_detectUnicodeSignature(head.data(), static_cast<int32_t>(head.size()),
                                                   &length, &error);
    if (U_FAILURE(error) || name == nullptr)
        return std::nullopt;
    const std::optional<Converter> converter = Converter::tryOpen(name);
    if (!converter || !(converter->isUtf8() || converter->isFixedUnitUnicode()))
        return std::nullopt;
    return ByteOrderMark{converter->name(), static_cast<std::size_t>(length)};
}

Decoder openDecoder(std::string_view chosen, const std::optional<ByteOrderMark> &mark)
{
    if (mark)
        return Decoder{Converter(mark->encoding), mark->length};
    return Decoder{littleEndianVariantOf(Converter(chosen)), 0};
}

Encoder openEncoder(const Encoding &target)
{
    // ICU's own "UTF-16"/"UTF-32" encoders write the platform's byte order, so
    // the mark is written here and the text by an explicitly little-endian one.
    Converter converter = littleEndianVariantOf(Converter(target));
    std::optional<std::string> mark =
        target.writesMark ? converter.encode(u"\uFEFF") : std::optional<std::string>("");
    // Only a Unicode target writes a mark, and every Unicode encoding has one.
    if (!mark)
        throw std::logic_error("the target " + target.name + " cannot encode its byte-order mark");
    return Encoder{std::move(converter), std::move(*mark)};
}

} // namespace velloran
