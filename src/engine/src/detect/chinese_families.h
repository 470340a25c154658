// SPDX-License-Identifier: GPL-3.0-or-later
// The legacy Chinese families, GB18030 and Big5: which one a sample is in,
// told apart from each other and from Japanese and Korean. The guard that
// names the other family of a converted file (otherChineseFamily(), in
// detector.h) lives here too.
#pragma once

#include "detect/sample.h"
#include "detect/strict_decoding.h"
#include "velloran/detect.h"

namespace velloran {

// GB18030 or Big5, for a sample in neither Unicode nor ASCII: by the bytes
// alone when only that family of the region's multi-byte encodings decodes
// the sample, else by ICU's detector, which must not find Japanese or Korean
// as likely; and only when the whole file decodes in it (which `wholeFile`
// is asked once, `how`). Else undecided, with the reason.
Detection detectChineseFamily(const DetectionSample &sample, WholeFileCheck &wholeFile,
                              WholeFileAnswer how);

} // namespace velloran
