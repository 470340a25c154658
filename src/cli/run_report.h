// SPDX-License-Identifier: GPL-3.0-or-later
// One finished run as the command reports it, and what the command makes of
// it besides its reports (velloran/report.h counts and sorts its entries).
#pragma once

#include "velloran/report.h"
#include "velloran/result.h"
#include "velloran/run.h"
#include "velloran/scan.h"

#include <string>
#include <vector>

struct FinishedRun
{
    std::string from;
    std::string to;
    bool dryRun = false;
    velloran::RunPlan plan;                    // one entry per input, in order
    std::vector<velloran::FileResult> results; // one per plan entry
    // Directories of the search that could not be read: their files are missing.
    std::vector<velloran::UnreadableDirectory> unreadableDirectories;
};

// The command's exit status for a run: 128 plus the number of the signal
// that interrupted it (130 for SIGINT, 143 for SIGTERM), as shells report a
// command they stopped; else 0 when every entry was converted or left
// unchanged, and 1 when some were not, or there was none (as grep finding
// nothing).
int exitStatus(const velloran::RunCounts &counts, int signalNumber = 0);

// The same for a run of files, which also fails when a directory of its
// search could not be read: a success would hide the files in it.
int exitStatus(const FinishedRun &run, const velloran::RunCounts &counts, int signalNumber);

// An outcome's name in the JSON report, such as "invalid_source".
const char *outcomeName(velloran::Outcome outcome);
