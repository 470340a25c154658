// SPDX-License-Identifier: GPL-3.0-or-later
// Where each entry of a run writes, by the run's output rule. Made as text
// wherever it can be: a plan of a long list makes many thousands of them.
#pragma once

#include "velloran/run.h"

#include <filesystem>

namespace velloran {

// The output path of `input` in `outputDirectory`: the directory and the input's
// file name joined by exactly one separator, whatever the directory text ends with.
std::filesystem::path outputPathFor(const std::filesystem::path &outputDirectory,
                                    const std::filesystem::path &input);

// `path` made absolute against `workingDirectory`, without "." or "..".
std::filesystem::path normalPath(const std::filesystem::path &path,
                                 const std::filesystem::path &workingDirectory);

class OutputPaths
{
public:
    OutputPaths(const RunOptions &options, std::filesystem::path workingDirectory);

    // The output of `input` under the rule.
    std::filesystem::path of(const RunInput &input) const;

private:
    std::filesystem::path pathInTree(const RunInput &input) const;

    const RunOptions &m_options;
    const std::filesystem::path m_workingDirectory;
    std::filesystem::path::string_type m_intoPrefix; // IntoDirectory: this, then the input's name
    std::filesystem::path::string_type m_treePrefix; // KeepTree: this, then the path below the base
};

} // namespace velloran
