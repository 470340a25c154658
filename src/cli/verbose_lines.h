// SPDX-License-Identifier: GPL-3.0-or-later
// -v: a line on standard error as each file finishes, in the order they
// finish: what became of it, the encoding it was read in, and where it went.
#pragma once

#include "velloran/run.h"

#include <cstddef>
#include <string>

// "converted (GBK): docs/a.txt -> out/a.txt", with the summary's detail in
// parentheses after it when there is one; in a dry run "would convert".
std::string verboseLine(const velloran::RunPlan &plan, bool dryRun, std::size_t entry,
                        const velloran::FileResult &result);

// Makes the run's onFileFinished write each entry's line, one at a time.
void writeVerboseLines(velloran::RunOptions &options, const velloran::RunPlan &plan, bool dryRun);
