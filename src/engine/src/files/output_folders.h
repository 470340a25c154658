// SPDX-License-Identifier: GPL-3.0-or-later
// The folders an output goes into, made when missing (a run that keeps a
// tree writes into folders the input tree has and the output tree lacks).
#pragma once

#include <filesystem>

namespace velloran {

// Makes the missing folders of `output`'s directory. Throws
// FileError(CannotWrite) when they cannot be made.
void makeFoldersOf(const std::filesystem::path &output);

} // namespace velloran
