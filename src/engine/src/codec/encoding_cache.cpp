// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/encoding_cache.h"

#include <map>
#include <mutex>
#include <string>

namespace velloran::detail {

std::shared_ptr<const void> remembered(const std::string &key,
                                       const std::function<std::shared_ptr<const void>()> &compute)
{
    // Recursive: a fact may be computed from another one (the UTF-8 decode
    // table from the decode table). The map's entries stay where they are
    // when others are added.
    static std::recursive_mutex mutex;
    static std::map<std::string, std::shared_ptr<const void>> facts;
    std::lock_guard lock(mutex);
    std::shared_ptr<const void> &fact = facts[key];
    if (!fact)
        fact = compute();
    return fact;
}

} // namespace velloran::detail
