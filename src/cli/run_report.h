// One finished run as the command reports it, and what both reports (the
// summary and the JSON report) count in it.
#pragma once

#include "velloran/result.h"
#include "velloran/run.h"

#include <cstddef>
#include <string>
#include <vector>

struct RunReport {
    std::string from;
    std::string to;
    bool dryRun = false;
    velloran::RunPlan plan;                  // one entry per input, in order
    std::vector<velloran::FileResult> results; // one per plan entry
};

struct RunCounts {
    std::size_t entries = 0;
    std::size_t converted = 0;
    std::size_t cancelled = 0;
    // Everything else, refused entries included, as the window counts them.
    std::size_t failed() const { return entries - converted - cancelled; }
};

RunCounts countResults(const std::vector<velloran::FileResult> &results);

// The command's exit status for a run: 0 when every entry was converted,
// 130 when any was cancelled, 1 otherwise.
int exitStatus(const RunCounts &counts);

// A character's code point as "U+XXXX".
std::string codePointName(char32_t character);

// An outcome's name in the JSON report, such as "invalid_source".
const char *outcomeName(velloran::Outcome outcome);
