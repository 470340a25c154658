// Owns one ICU converter set up for strict conversion: both directions stop at
// the first invalid or unmappable character instead of substituting.
#pragma once

#include <unicode/ucnv.h>

#include <memory>
#include <string>
#include <string_view>

namespace velloran {

class Converter
{
public:
    // Throws UnknownEncoding when ICU cannot resolve `name`.
    explicit Converter(std::string_view name);

    UConverter *get() const { return m_converter.get(); }
    UConverterType type() const { return ucnv_getType(m_converter.get()); }

    // Forgets all state, as if freshly opened.
    void reset() { ucnv_reset(m_converter.get()); }

    // After an encoding error: the character the target could not represent.
    char32_t unrepresentableCharacter() const;

    // `text` encoded completely, e.g. a byte-order mark in this encoding.
    std::string encode(std::u16string_view text);

private:
    struct Closer
    {
        void operator()(UConverter *converter) const { ucnv_close(converter); }
    };
    std::unique_ptr<UConverter, Closer> m_converter;
};

} // namespace velloran
