// SPDX-License-Identifier: GPL-3.0-or-later
#include "verbose_lines.h"

#include "run_report.h"
#include "summary.h"
#include "system.h"
#include "text_bytes.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace {

// The JSON report's name of the outcome, in words.
std::string outcomeWords(velloran::Outcome outcome, bool dryRun)
{
    if (dryRun && outcome == velloran::Outcome::Converted)
        return "would convert";
    std::string words = outcomeName(outcome);
    std::replace(words.begin(), words.end(), '_', ' ');
    return words;
}

} // namespace

std::string verboseLine(const velloran::RunPlan &plan, bool dryRun, std::size_t entry,
                        const velloran::FileResult &result)
{
    std::string line = outcomeWords(result.outcome, dryRun);
    if (!result.encoding.empty())
        line += " (" + result.encoding + ")";
    line += ": " + shownInput(plan, entry) + " -> " + nameText(plan.entries.at(entry).output);
    const std::string detail = resultDetail(plan, result);
    return line + (detail.empty() ? "" : " (" + detail + ")") + "\n";
}

void writeVerboseLines(velloran::RunOptions &options, const velloran::RunPlan &plan, bool dryRun)
{
    // The workers finish files at once; each line is written whole.
    static std::mutex writing;
    options.onFileFinished = [&plan, dryRun](std::size_t entry,
                                             const velloran::FileResult &result) {
        const std::string line = verboseLine(plan, dryRun, entry, result);
        const std::lock_guard lock(writing);
        std::fwrite(line.data(), 1, line.size(), stderr);
    };
}
