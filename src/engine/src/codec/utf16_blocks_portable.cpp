// SPDX-License-Identifier: GPL-3.0-or-later
// Without vector instructions the per-character loop does all the work.
#include "codec/utf16_blocks.h"

namespace velloran {

void convertUtf16LeBlocksToUtf8(const unsigned char *&, const unsigned char *, char *&,
                                const char *)
{
}

} // namespace velloran
