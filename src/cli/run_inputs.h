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
    // The directories given that were read and yielded no file.
    std::vector<std::filesystem::path> fruitless;
    // The directories of the search that could not be read.
    std::vector<velloran::UnreadableDirectory> unreadable;
    // Where the search met the output directory, which it leaves out: the
    // outputs of an earlier run are not inputs.
    std::vector<std::filesystem::path> leftOut;
};

CollectedInputs collectInputs(const CommandLine &line);

// What is wrong with a PATH that is a pipe (a FIFO, or a shell's <(...)):
// read once, it cannot be converted as a file is, checked and then replaced
// whole; standard input takes it.
std::optional<std::string> pipeAmongPaths(const CommandLine &line);

// Said once on standard error when the search met the output directory.
std::string leftOutNote(const std::filesystem::path &outputDirectory);

// "DIR (Permission denied)": a directory that could not be read, as the
// summary and -v name it.
std::string unreadableDirectoryLine(const velloran::UnreadableDirectory &directory);

// Why a directory yielded no file: the suffixes and the depth searched, and
// how many files it holds that did not match, within that depth and below it.
std::string fruitlessDirectoryNote(const CommandLine &line, const std::filesystem::path &directory);

// The output directory of -o made when missing, and checked to be one that
// can be written into, before any file is read. A dry run makes nothing, but
// checks the same: a missing directory must be one that could be made. What
// is wrong with it, if anything.
std::optional<std::string> prepareOutputDirectory(const CommandLine &line);

// The engine's run options for the command line; the observers and the
// cancel flag are left to the caller.
velloran::RunOptions runOptions(const CommandLine &line);
