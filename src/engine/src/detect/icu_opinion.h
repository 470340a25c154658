// SPDX-License-Identifier: GPL-3.0-or-later
// What ICU's statistical detector makes of some bytes: its confidence in each
// Chinese family, in the other multi-byte encodings of East Asia, and its
// best answer of any other kind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

inline constexpr std::string_view kGb18030 = "GB18030";
inline constexpr std::string_view kBig5 = "Big5";

struct IcuAnswer
{
    std::string encoding; // as ICU's detector names it
    int confidence = 0;
};

struct IcuOpinion
{
    int gb18030 = 0;
    int big5 = 0;
    // EUC-JP, Shift_JIS, EUC-KR and the ISO-2022 encodings, most confident first.
    std::vector<IcuAnswer> eastAsian;
    // The best answer that is no Chinese family, when there is one.
    std::optional<IcuAnswer> other;

    int confidenceIn(std::string_view family) const { return family == kBig5 ? big5 : gb18030; }
    std::string_view favourite() const { return big5 > gb18030 ? kBig5 : kGb18030; }
};

// ICU's opinion of `bytes`; an empty one when ICU cannot give any.
IcuOpinion askIcu(std::string_view bytes);

} // namespace velloran
