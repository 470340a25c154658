// SPDX-License-Identifier: GPL-3.0-or-later
// Private-use characters (U+E000 to U+F8FF, planes 15 and 16). GB18030 and
// Big5 give them their user-defined byte ranges, so legacy text read in the
// wrong encoding often decodes into them: detection refuses them, and so
// does the conversion of a detected source.
#pragma once

#include <unicode/umachine.h>

namespace velloran {

// Whether decoded text may hold private-use characters.
enum class PrivateUse
{
    Allowed,
    Refused,
};

inline bool isPrivateUseCharacter(UChar32 character)
{
    return (character >= 0xE000 && character <= 0xF8FF) || character >= 0xF0000;
}

// A unit of a private-use character: itself, or the lead surrogate of one
// in planes 15 and 16.
inline bool isPrivateUse(UChar unit)
{
    return (unit >= 0xE000 && unit <= 0xF8FF) || (unit >= 0xDB80 && unit <= 0xDBFF);
}

} // namespace velloran
