// SPDX-License-Identifier: GPL-3.0-or-later
// The legacy Chinese families, GB18030 and Big5: which one a sample is in,
// told apart from each other and from Japanese and Korean; and the guard
// that names what a file converted from one of them looks like instead.
#pragma once

#include "detect/sample.h"
#include "detect/strict_decoding.h"
#include "velloran/detect.h"

#include <optional>
#include <string>
#include <string_view>

namespace velloran {

// GB18030 or Big5, for a sample in neither Unicode nor ASCII: by the bytes
// alone when only that family of the region's multi-byte encodings decodes
// the sample, else by ICU's detector, which must not find Japanese or Korean
// as likely; and only when the whole file decodes in it (which `wholeFile`
// is asked once, `how`) and the sample reads as Chinese in it
// (readsAsChinese()). Else undecided, with the reason ("looks like
// Big5-HKSCS" for Big5 with characters of the Hong Kong supplement).
Detection detectChineseFamily(const DetectionSample &sample, WholeFileCheck &wholeFile,
                              WholeFileAnswer how);

class ChineseReadings;

// For a file converted from an encoding of a legacy Chinese `family`
// ("GB18030" or "Big5"), whose two-byte characters read as `readings`
// (all of them): what it looks like instead, when it plainly is not in that
// family. The other family, when the file reads as Chinese there (90 % of
// its characters frequent Han ones) and clearly less so in `family`, and
// decodes there; for fewer than ten characters, when ICU's detector is
// confident (above 50) of the other family and the file decodes there.
// When the file reads as no Chinese at all (under 75 % of its Han
// characters frequent ones): the other family where it reads as Chinese,
// else "UTF-8", or the encoding ICU's detector names. None otherwise, and
// for any other family.
std::optional<std::string> lookalikeOf(const DetectionSample &sample, std::string_view family,
                                       const ChineseReadings &readings, WholeFileCheck &wholeFile);

// Whether text read in `family` reads as Chinese (75 % of its Han
// characters frequent ones), or holds no Han character.
bool readsAsChinese(const ChineseReadings &readings, std::string_view family);

} // namespace velloran
