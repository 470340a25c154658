// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine works out about an encoding by asking ICU (lookup tables,
// where a file may be cut into pieces): worked out once per encoding and
// process, then shared read-only by every thread. Working it out takes
// milliseconds, which a batch of small files must not pay per file.
#pragma once

#include "codec/converter.h"

#include <functional>
#include <memory>
#include <string_view>

namespace velloran {

namespace detail {
std::shared_ptr<const void> remembered(const std::string &key,
                                       const std::function<std::shared_ptr<const void>()> &compute);
} // namespace detail

// The `what` of `converter`'s encoding: `compute` runs once per encoding and
// `what`, on a converter of its own so that `converter` keeps its state.
template <typename Fact>
Fact rememberedFor(const Converter &converter, std::string_view what,
                   Fact (*compute)(Converter &scratch))
{
    const std::shared_ptr<const void> fact =
        detail::remembered(converter.name() + '/' + std::string(what), [&] {
            Converter scratch = converter.clone();
            return std::shared_ptr<const void>(std::make_shared<const Fact>(compute(scratch)));
        });
    return *static_cast<const Fact *>(fact.get());
}

} // namespace velloran
