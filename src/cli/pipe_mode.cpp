// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipe_mode.h"

#include "command_line.h"
#include "run_report.h"
#include "summary.h"
#include "system.h"

#include "velloran/stream.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr const char *kStandardInput = "-";

// The options that only files take.
constexpr std::pair<OptionId, const char *> kFileOptions[] = {
    {OptionId::Output, "-o"},
    {OptionId::InPlace, "--in-place"},
    {OptionId::Force, "--force"},
    {OptionId::Recursive, "-r"},
    {OptionId::Depth, "--depth"},
    {OptionId::Suffix, "-s"},
    {OptionId::KeepTree, "--keep-tree"},
    {OptionId::Jobs, "-j"},
    {OptionId::DryRun, "--dry-run"},
    {OptionId::Json, "--json"},
    {OptionId::Verbose, "-v"},
};

void refuseFileOptions(const CommandLine &line)
{
    for (const auto &[id, name] : kFileOptions) {
        if (line.has(id))
            throw UsageError(std::string(name) +
                             " is for files: standard input goes to standard output");
    }
}

using velloran::Outcome;

// After a fault, what was written stops right before it: the line's start
// was written, up to the fault.
std::string fault(const velloran::FileResult &result, const std::string &what)
{
    const std::string line = "line " + std::to_string(result.line);
    return "standard input, " + line + ": " + what +
           "; the output holds everything before it, the start of " + line +
           " included, and nothing from it on";
}

} // namespace

bool wantsPipe(const CommandLine &line, bool inputIsTerminal)
{
    for (const std::filesystem::path &path : line.paths) {
        if (path == kStandardInput)
            return true;
    }
    return line.paths.empty() && line.outputDirectory.empty() && !line.inPlace && !inputIsTerminal;
}

void checkPipe(const CommandLine &line)
{
    const auto inputs = std::count(line.paths.begin(), line.paths.end(), kStandardInput);
    if (inputs > 1)
        throw UsageError("- (standard input) can be given only once");
    if (line.paths.size() > 1)
        throw UsageError("a PATH of - (standard input) cannot be given with other PATHs");
    refuseFileOptions(line);
}

std::string pipeMessage(const velloran::FileResult &result, const std::string &target)
{
    switch (result.outcome) {
    case Outcome::Converted:
        if (result.likely.empty())
            return {};
        return "warning: standard input was converted from " + result.encoding +
               ", but looks like " + result.likely + "; please check";
    case Outcome::InvalidSource:
        return fault(result, "bytes that are not valid in " + result.encoding +
                                 (result.likely.empty() ? "" : " (maybe " + result.likely + ")"));
    case Outcome::Unrepresentable:
        return fault(result,
                     visibleCharacter(result.character) + " cannot be represented in " + target);
    case Outcome::AlreadyUtf8:
        if (result.line > 0)
            return fault(result, "UTF-8 text, not " + result.encoding + " (-f UTF-8 reads it)");
        return "standard input is UTF-8 text already, not " + result.encoding +
               " (-f UTF-8 reads it); nothing was written";
    case Outcome::Undecided:
        return "the encoding of standard input could not be detected (" + result.reason +
               "); nothing was written";
    case Outcome::Cancelled:
        return "cancelled: the output is incomplete";
    case Outcome::CannotRead:
    case Outcome::CannotWrite:
        return result.message;
    case Outcome::SharedOutput:
    case Outcome::LooksLikeOther:
    case Outcome::Unchanged:
        break; // only files, in a run, come out so
    }
    return "standard input was not converted";
}

int convertPipe(const CommandLine &line)
{
    // A reader that goes away (head, say) ends the command by SIGPIPE, quietly,
    // as it ends any other filter of a pipeline.
    const velloran::StreamOptions options{.source = line.source, .target = line.target};
    const velloran::FileResult result =
        velloran::convertStream(fileno(stdin), fileno(stdout), options);
    if (const std::string message = pipeMessage(result, line.to); !message.empty())
        printError(message);
    return exitStatus(velloran::RunCounts{
        .entries = 1, .converted = result.outcome == Outcome::Converted ? 1u : 0u});
}
