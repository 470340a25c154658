// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/converter.h"

#include <unicode/utf16.h>

#include <stdexcept>

namespace velloran {

namespace {

// ICU's own stop callback lets default-ignorable characters (soft hyphen,
// zero-width space, variation selectors, ...) that the target lacks vanish
// without an error. This one stops at every character the target cannot
// represent, so whether an encoding holds them is up to its mapping alone.
void stopAtEveryUnmappable(const void *, UConverterFromUnicodeArgs *, const UChar *, int32_t,
                           UChar32, UConverterCallbackReason, UErrorCode *)
{
    // The error ICU passes in stays set, which stops the conversion.
}

UConverter *openStrict(std::string_view name)
{
    // A name with an embedded NUL would reach ICU truncated and might resolve
    // to something else than what was asked for.
    if (name.empty() || name.find('\0') != std::string_view::npos)
        return nullptr;
    const std::string terminated(name);
    UErrorCode error = U_ZERO_ERROR;
    UConverter *converter = ucnv_open(terminated.c_str(), &error);
    // Some aliases succeed with U_AMBIGUOUS_ALIAS_WARNING; that is still a success.
    if (U_FAILURE(error))
        return nullptr;
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    ucnv_setFromUCallBack(converter, stopAtEveryUnmappable, nullptr, nullptr, nullptr, &error);
    if (U_FAILURE(error)) {
        ucnv_close(converter);
        return nullptr;
    }
    return converter;
}

} // namespace

Converter::Converter(std::string_view name) : m_converter(openStrict(name))
{
    if (!m_converter)
        throw std::logic_error("ICU cannot open the encoding " + std::string(name));
}

std::optional<Converter> Converter::tryOpen(std::string_view name)
{
    if (UConverter *converter = openStrict(name))
        return Converter(converter);
    return std::nullopt;
}

std::string Converter::name() const
{
    UErrorCode error = U_ZERO_ERROR;
    const char *name = ucnv_getName(m_converter.get(), &error);
    return U_SUCCESS(error) && name != nullptr ? name : "";
}

Converter Converter::clone() const
{
    UErrorCode error = U_ZERO_ERROR;
    // The clone keeps the callbacks.
    UConverter *copy = ucnv_clone(m_converter.get(), &error);
    if (U_FAILURE(error) || copy == nullptr)
        throw std::bad_alloc();
    Converter converter(copy);
    converter.reset();
    return converter;
}

bool Converter::isFixedUnitUnicode() const
{
    switch (type()) {
    case UCNV_UTF16_LittleEndian:
    case UCNV_UTF16_BigEndian:
    case UCNV_UTF32_LittleEndian:
    case UCNV_UTF32_BigEndian:
        return true;
    default:
        return false;
    }
}

bool Converter::isTableConverter() const
{
    switch (type()) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
        return true;
    default:
        return false;
    }
}

char32_t Converter::unrepresentableCharacter() const
{
    UChar units[32];
    int8_t length = sizeof units / sizeof units[0];
    UErrorCode error = U_ZERO_ERROR;
    ucnv_getInvalidUChars(m_converter.get(), units, &length, &error);
    if (U_FAILURE(error) || length <= 0)
        return 0;
    int32_t index = 0;
    UChar32 character = 0;
    U16_NEXT(units, index, length, character);
    return static_cast<char32_t>(character);
}

std::optional<std::string> Converter::encode(std::u16string_view text)
{
    reset();
    std::string bytes(4 * text.size() + 16, '\0');
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length =
        ucnv_fromUChars(m_converter.get(), bytes.data(), static_cast<int32_t>(bytes.size()),
                        text.data(), static_cast<int32_t>(text.size()), &error);
    reset();
    if (U_FAILURE(error))
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

Converter::Decoded Converter::decodeAlone(std::string_view bytes)
{
    reset();
    UChar units[32];
    UChar *target = units;
    const char *source = bytes.data();
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(m_converter.get(), &target, units + 32, &source, bytes.data() + bytes.size(),
                   nullptr, false, &error);
    Decoded decoded;
    decoded.valid = U_SUCCESS(error);
    UErrorCode countError = U_ZERO_ERROR;
    decoded.pending = decoded.valid && ucnv_toUCountPending(m_converter.get(), &countError) > 0;
    decoded.text.assign(units, target);
    reset();
    return decoded;
}

} // namespace velloran
