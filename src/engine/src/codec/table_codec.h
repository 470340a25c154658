// SPDX-License-Identifier: GPL-3.0-or-later
// Decoder and encoder for multi-byte table converters: characters found in
// the DerivedTables are looked up, everything else goes to ICU one character
// at a time, and ICU's own state decides when the fast path may resume.
#pragma once

#include "codec/derived_tables.h"
#include "codec/text_codec.h"

namespace velloran {

std::unique_ptr<TextDecoder> makeTableDecoder(Converter &converter,
                                              std::shared_ptr<const DecodeTable> table);
std::unique_ptr<TextEncoder> makeTableEncoder(Converter &converter,
                                              std::shared_ptr<const EncodeTable> table);

} // namespace velloran
