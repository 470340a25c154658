// The summary on standard error: the window's report in English. The counts
// first, then one section per kind of failure with one line per file.
#pragma once

#include "run_report.h"

#include <string>

std::string summaryText(const FinishedRun &run, const velloran::RunReport &report);

// A character as a reader can see it: itself in quotes, or U+XXXX when it
// would not show (a control, format or space character, or an unassigned one).
std::string visibleCharacter(char32_t character);
