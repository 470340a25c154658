// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of a run from the PATHs of the command line, in their order: a
// file as it is, whatever its suffix; a directory searched with the window's
// rules, each file found remembering the directory it was found under.
#pragma once

#include "command_line.h"

#include "velloran/run.h"
#include "velloran/scan.h"

#include <optional>
#include <string>
#include <vector>

struct CollectedInputs
{
    std::vector<velloran::RunInput> inputs;
    // The directories given that yielded no file.
    std::vector<std::filesystem::path> fruitless;
};

CollectedInputs collectInputs(const CommandLine &line);

// Why a directory yielded no file: the suffixes and the depth searched, and
// how many files it holds that did not match, within that depth and below it.
std::string fruitlessDirectoryNote(const CommandLine &line, const std::filesystem::path &directory);

// The output directory of -o made when missing, and checked to be one that
// can be written into, before any file is read; not in a dry run, which
// writes nothing. What is wrong with it, if anything.
std::optional<std::string> prepareOutputDirectory(const CommandLine &line);

// The engine's run options for the command line; the observers and the
// cancel flag are left to the caller.
velloran::RunOptions runOptions(const CommandLine &line);
