// What the reports of a run (the window's and the command line's) share.
#pragma once

namespace velloran {

// Whether a report must spell `character` as its code point ("U+200B")
// rather than show it: format and control characters, other default-ignorable
// code points, spaces other than U+0020, separators, combining marks alone,
// private-use, unassigned and out-of-range code points. The window and the
// command line both follow it.
bool isInvisibleCharacter(char32_t character);

} // namespace velloran
