// SPDX-License-Identifier: GPL-3.0-or-later
// Detection of a file's source encoding, and the opinions the guards of a
// run share with it. Detection looks at a sample of the file, its start;
// what needs the whole file, a strict decoding in one candidate encoding, is
// asked of a WholeFileCheck, which answers from memory for a small file.
#pragma once

#include "codec/byte_order_marks.h"
#include "detect/sample.h"
#include "detect/strict_decoding.h"
#include "velloran/detect.h"

#include <optional>
#include <string>
#include <string_view>

namespace velloran {

class InputFile;

// The detector's answer for a sample that starts with `mark` (or none). Asks
// `wholeFile` whether the sample decodes in the legacy encodings, and whether
// the whole file decodes in a legacy answer (GB18030 or Big5), once, `how`.
Detection detectInSample(const DetectionSample &sample, const std::optional<ByteOrderMark> &mark,
                         WholeFileCheck &wholeFile, WholeFileAnswer how = WholeFileAnswer::Checked);

// Detects the encoding of an open file from its start. Throws
// FileError(CannotRead) on a read error.
Detection detectInFile(InputFile &input);

// For a file that failed to decode: an encoding in which the whole file
// decodes strictly, as a hint for the user; none when there is none to offer.
std::optional<std::string> likelyEncoding(const DetectionSample &sample,
                                          const std::optional<ByteOrderMark> &mark,
                                          WholeFileCheck &wholeFile);

} // namespace velloran
