// The entries of a run from the PATHs of the command line, in their order: a
// file as it is, whatever its suffix; a directory searched with the window's
// rules, each file found remembering the directory it was found under.
#pragma once

#include "command_line.h"

#include "velloran/run.h"
#include "velloran/scan.h"

#include <vector>

std::vector<velloran::RunInput> collectInputs(const CommandLine &line);

// The engine's run options for the command line; the observers and the
// cancel flag are left to the caller.
velloran::RunOptions runOptions(const CommandLine &line);
