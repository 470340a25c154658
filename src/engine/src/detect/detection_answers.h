// SPDX-License-Identifier: GPL-3.0-or-later
// How the detector's rules give their answers.
#pragma once

#include "velloran/detect.h"

#include <string>
#include <string_view>
#include <utility>

namespace velloran {

// How sure a rule is that leaves no other reading.
inline constexpr int kCertain = 100;

inline Detection decided(std::string_view encoding, int confidence)
{
    return Detection{std::string(encoding), {}, confidence};
}

inline Detection undecided(std::string reason)
{
    return Detection{std::nullopt, std::move(reason), 0};
}

} // namespace velloran
