// SPDX-License-Identifier: GPL-3.0-or-later
// velloran-cli as a filter: standard input converted to standard output,
// streamed, for pipelines (see the manual's description).
#pragma once

#include "command_line.h"

#include "velloran/result.h"

#include <string>

// Whether the command line asks for it: a PATH of "-", or no PATH and neither
// -o nor --in-place while standard input is not a terminal.
bool wantsPipe(const CommandLine &line, bool inputIsTerminal);

// Throws UsageError for what a pipe cannot take: other PATHs beside "-", and
// the options that only files take.
void checkPipe(const CommandLine &line);

// Converts standard input to standard output, says on standard error what
// went wrong, and returns the exit status (as for files: 0 or 1).
int convertPipe(const CommandLine &line);

// What standard error says after the stream's `result`, converted to
// `target` (as named), without the program's name; empty when all went well.
std::string pipeMessage(const velloran::FileResult &result, const std::string &target);
