// SPDX-License-Identifier: GPL-3.0-or-later
// The two halves of a conversion, each behind one small interface so that
// every encoding gets ICU's fastest safe way: bytes to UTF-16 (TextDecoder)
// and UTF-16 to bytes (TextEncoder). Both work like ucnv_toUnicode and
// ucnv_fromUnicode with the stop callbacks: they consume as much as fits,
// keep a character split between calls, and stop at the first error.
#pragma once

#include "codec/converter.h"
#include "codec/private_use.h"

#include <memory>

namespace velloran {

enum class Step
{
    Done,       // all input consumed; after `last`, nothing is left pending
    TargetFull, // call again with an empty target
    Failed,     // invalid or unrepresentable input; where is ErrorLocator's job
};

// Room a fast path leaves at the end of a target before handing a character
// to ICU, more than the longest output ICU gives for one input character.
inline constexpr std::ptrdiff_t kIcuCharacterRoom = 64;

class TextDecoder
{
public:
    virtual ~TextDecoder() = default;
    [[nodiscard]] virtual Step decode(const char *&source, const char *end, UChar *&target,
                                      UChar *targetEnd, bool last) = 0;
    // Holds no part of a character: what comes next starts a new one.
    virtual bool idle() const = 0;
};

class TextEncoder
{
public:
    virtual ~TextEncoder() = default;
    [[nodiscard]] virtual Step encode(const UChar *&source, const UChar *end, char *&target,
                                      char *targetEnd, bool last) = 0;
    // Holds no part of a character and owes no output.
    virtual bool idle() const = 0;
};

// `converter` stays owned by the caller and must outlive the result. The
// decoder and encoder start from the converter's current state. A decoder
// that refuses private use fails (Step::Failed) once it decoded one.
std::unique_ptr<TextDecoder> makeTextDecoder(Converter &converter,
                                             PrivateUse privateUse = PrivateUse::Allowed);
std::unique_ptr<TextEncoder> makeTextEncoder(Converter &converter);

// ICU's converters alone, with no fast path: what every fast path must match
// (the decoder refusing, as every decoder does, the private use ICU reads a
// lone byte as: see RefusedUnits).
std::unique_ptr<TextDecoder> makeIcuDecoder(Converter &converter);
std::unique_ptr<TextEncoder> makeIcuEncoder(Converter &converter);

} // namespace velloran
