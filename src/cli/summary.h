// SPDX-License-Identifier: GPL-3.0-or-later
// The summary on standard error: the window's report in English. The counts
// first, then one section per kind of failure with one line per file. File
// names are shown as terminalText() (text_bytes.h) makes them safe.
#pragma once

#include "run_report.h"

#include <string>

std::string summaryText(const FinishedRun &run, const velloran::RunReport &report);

// An entry's file as the summary and -v show it.
std::string shownInput(const velloran::RunPlan &plan, std::size_t entry);

// What follows a file's name on its line, in parentheses: why it failed, or
// where; empty when there is nothing to add.
std::string resultDetail(const velloran::RunPlan &plan, const velloran::FileResult &result);

// A character as a reader can see it: itself in quotes, or U+XXXX when it
// would not show (a control, format or space character, or an unassigned one).
std::string visibleCharacter(char32_t character);
