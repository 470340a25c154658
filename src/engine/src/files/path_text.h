// SPDX-License-Identifier: GPL-3.0-or-later
// Paths read as text, without parsing them into a std::filesystem::path:
// the run plan and the look-ups split many thousands of them.
#pragma once

#include <filesystem>
#include <string_view>

namespace velloran {

using NativeView = std::basic_string_view<std::filesystem::path::value_type>;

// The slash everywhere, and on Windows the backslash too.
inline bool isSeparator(std::filesystem::path::value_type c)
{
    return c == '/' || c == std::filesystem::path::preferred_separator;
}

// Where the last name of `text` starts.
inline std::size_t nameStartOf(NativeView text)
{
    std::size_t start = text.size();
    while (start > 0 && !isSeparator(text[start - 1]))
        --start;
    return start;
}

} // namespace velloran
