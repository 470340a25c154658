// SPDX-License-Identifier: GPL-3.0-or-later
// Owns one ICU converter set up for strict conversion: both directions stop at
// the first invalid or unmappable character instead of substituting, and
// everything the engine asks ICU about an encoding goes through here.
#pragma once

#include "velloran/encoding.h"

#include <unicode/ucnv.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velloran {

class Converter
{
public:
    // For a name already resolved (see resolveEncoding()) or one of the
    // engine's own ("UTF-16LE"): failing to open it is a programming error,
    // thrown as std::logic_error.
    explicit Converter(std::string_view name);
    explicit Converter(const Encoding &encoding) : Converter(std::string_view(encoding.name)) {}
    // Nothing when ICU cannot resolve `name`: for resolving names.
    [[nodiscard]] static std::optional<Converter> tryOpen(std::string_view name);

    UConverter *get() const { return m_converter.get(); }
    UConverterType type() const { return ucnv_getType(m_converter.get()); }
    // ICU's canonical name, the same for every alias.
    std::string name() const;

    // A converter of the same encoding in its initial state, for another thread
    // or for scratch work that must leave this one's state alone.
    Converter clone() const;

    // Forgets all state, as if freshly opened.
    void reset() { ucnv_reset(m_converter.get()); }

    // UTF-8: ICU's string functions can stand in for the converter.
    bool isUtf8() const { return type() == UCNV_UTF8; }
    // UTF-16 or UTF-32 of a fixed byte order: every character is made of whole
    // code units of 2 or 4 bytes.
    bool isFixedUnitUnicode() const;
    // ICU's "UTF-16" and "UTF-32", whose byte order a mark decides.
    bool isByteOrderByMark() const { return type() == UCNV_UTF16 || type() == UCNV_UTF32; }
    // A plain single-, double- or multi-byte table converter: no state kept
    // from one character to the next.
    bool isTableConverter() const;
    // ICU itself rejects unpaired surrogates when decoding (UTF-8, -16, -32 and
    // the table converters, which never produce one).
    bool rejectsUnpairedSurrogates() const
    {
        return isUtf8() || isFixedUnitUnicode() || isTableConverter();
    }

    // After an encoding error: the character the target could not represent.
    char32_t unrepresentableCharacter() const;

    // `text` encoded completely, e.g. a byte-order mark in this encoding;
    // none if it cannot be.
    [[nodiscard]] std::optional<std::string> encode(std::u16string_view text);

    // What ICU makes of `bytes` decoded from the initial state on their own,
    // without the end of the input.
    struct Decoded
    {
        bool valid = false;   // ICU accepts the bytes
        bool pending = false; // ICU holds part of a character, waiting for more
        std::u16string text;
    };
    Decoded decodeAlone(std::string_view bytes);

private:
    struct Closer
    {
        void operator()(UConverter *converter) const { ucnv_close(converter); }
    };
    explicit Converter(UConverter *converter) : m_converter(converter) {}

    std::unique_ptr<UConverter, Closer> m_converter;
};

} // namespace velloran
