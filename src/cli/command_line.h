// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of velloran-cli. One table of options serves parsing,
// --help and the manual page, so the three never disagree.
#pragma once

#include "velloran/encoding.h"

#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kProgramName = "velloran-cli";

// Writes "velloran-cli: MESSAGE" and a line feed to standard error.
void printError(const std::string &message);

enum class OptionId
{
    From,
    To,
    Output,
    InPlace,
    Force,
    Recursive,
    Depth,
    Suffix,
    KeepTree,
    Jobs,
    Bom,
    DryRun,
    Json,
    Verbose,
    Quiet,
    List,
    Help,
    Version,
    Manual,
    Completion,
};

// What a shell offers to complete an option's argument.
enum class Completion
{
    Nothing,
    Encodings, // the names --list prints, and the option's words
    Directories,
    Words, // the option's words only
};

struct OptionInfo
{
    OptionId id;
    const char *longName;
    char shortName;       // 0 when the option has no short form
    const char *argument; // the argument's name in help texts; nullptr for a switch
    const char *help;     // nullptr hides the option from --help, the manual and completion
    Completion completion = Completion::Nothing;
    const char *words = ""; // what else completes the argument, separated by spaces
};

std::span<const OptionInfo> optionTable();

// What --bom asks of a target's byte-order mark.
enum class MarkChoice
{
    Auto,
    Yes,
    No
};

struct CommandLine
{
    enum class Action
    {
        Convert,
        ConvertPipe,
        List,
        Help,
        Version,
        Manual,
        Completion
    };
    Action action = Action::Convert;
    std::string shell; // for Action::Completion: bash, zsh or fish

    std::string from; // as given
    std::string to;
    velloran::Encoding source; // `from` and `to` resolved
    velloran::Encoding target; // its writesMark as --bom asks
    MarkChoice bom = MarkChoice::Auto;
    std::filesystem::path outputDirectory; // empty with --in-place
    bool inPlace = false;
    bool force = false; // convert in place files that look like the other Chinese family
    bool keepTree = false;
    int depth = 0;                     // as the window's scan: -1 is the whole tree
    std::vector<std::string> suffixes; // without a leading dot; "txt" when none is given
    unsigned workers = 0;              // 0: one per CPU the process may use
    bool dryRun = false;
    bool json = false;
    bool verbose = false;
    bool quiet = false;
    std::vector<std::filesystem::path> paths;
    std::vector<OptionId> given; // every option the command line named, once each

    bool has(OptionId id) const;
};

// A command line that cannot be run: a missing or malformed option, or an
// encoding name that does not resolve. Nothing has been touched yet.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Parses and checks the arguments, encoding names included. Whether standard
// input is a terminal decides what a command line without PATH asks for (see
// pipe_mode.h). Throws UsageError.
CommandLine parseCommandLine(int argc, char **argv, bool inputIsTerminal = true);
