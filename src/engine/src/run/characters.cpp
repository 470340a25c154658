// SPDX-License-Identifier: GPL-3.0-or-later
// Which characters a report must spell as a code point: those that would show
// as nothing, as a blank, or on top of the quotation mark around them.
#include "velloran/report.h"

#include <unicode/uchar.h>

#include <cstdio>

namespace velloran {

bool isInvisibleCharacter(char32_t character)
{
    if (character > 0x10FFFF)
        return true;
    const auto c = UChar32(character);
    if (u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT))
        return true;
    switch (u_charType(c)) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_SURROGATE:
    case U_PRIVATE_USE_CHAR:
    case U_UNASSIGNED:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK:
        return true;
    case U_SPACE_SEPARATOR:
        return c != U' ';
    default:
        return false;
    }
}

std::string codePointName(char32_t character)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(character));
    return code;
}

} // namespace velloran
