// SPDX-License-Identifier: GPL-3.0-or-later
// The report of --json: one object on standard output, described in the
// manual page (JSON REPORT). File names are bytes; one that is not valid
// UTF-8 shows each invalid byte as U+FFFD and comes with its exact bytes in
// hexadecimal, so that no two names can be mistaken for each other.
#pragma once

#include "run_report.h"

#include <string>
#include <string_view>

// The report of `run`, whose counts are `counts`.
std::string jsonReport(const FinishedRun &run, const velloran::RunCounts &counts);

// `bytes` as a JSON string, invalid UTF-8 bytes replaced by U+FFFD.
std::string jsonString(std::string_view bytes);
