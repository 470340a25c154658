// SPDX-License-Identifier: GPL-3.0-or-later
// Which files many paths name, looked up on several threads. A plan of a
// long list spends most of its time asking the file system about each path,
// and the questions are independent of one another.
#pragma once

#include "files/directory_platform.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace velloran {

using PathAt = std::function<const std::filesystem::path &(std::size_t index)>;

// identityOf(pathAt(i)) for every i below `count` (none for an empty path),
// on up to `threads` threads, the calling one among them.
std::vector<std::optional<FileIdentity>> identitiesOf(std::size_t count, const PathAt &pathAt,
                                                      unsigned threads);

} // namespace velloran
