#include "converter.h"

#include "velloran/engine.h"

#include <unicode/utf16.h>

namespace velloran {

namespace {

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
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
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
        throw UnknownEncoding(std::string(name));
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

std::string Converter::encode(std::u16string_view text)
{
    reset();
    std::string bytes(4 * text.size() + 16, '\0');
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length =
        ucnv_fromUChars(m_converter.get(), bytes.data(), static_cast<int32_t>(bytes.size()),
                        text.data(), static_cast<int32_t>(text.size()), &error);
    reset();
    bytes.resize(U_SUCCESS(error) ? static_cast<std::size_t>(length) : 0);
    return bytes;
}

} // namespace velloran
