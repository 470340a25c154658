// The command line of velloran-cli. One table of options serves parsing,
// --help and the manual page, so the three never disagree.
#pragma once

#include "velloran/encoding.h"

#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

enum class OptionId {
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
    DryRun,
    Json,
    Quiet,
    Help,
    Version,
    Manual,
};

struct OptionInfo {
    OptionId id;
    const char *longName;
    char shortName;       // 0 when the option has no short form
    const char *argument; // the argument's name in help texts; nullptr for a switch
    const char *help;     // nullptr hides the option from --help and the manual
};

std::span<const OptionInfo> optionTable();

struct CommandLine {
    enum class Action { Convert, ConvertPipe, Help, Version, Manual };
    Action action = Action::Convert;

    std::string from; // as given
    std::string to;
    velloran::Encoding source; // `from` and `to` resolved
    velloran::Encoding target;
    std::filesystem::path outputDirectory; // empty with --in-place
    bool inPlace = false;
    bool force = false; // convert in place files that look like the other Chinese family
    bool keepTree = false;
    int depth = 0;                     // as the window's scan: -1 is the whole tree
    std::vector<std::string> suffixes; // "txt" when none is given
    unsigned workers = 0;              // 0: one per CPU the process may use
    bool dryRun = false;
    bool json = false;
    bool quiet = false;
    std::vector<std::filesystem::path> paths;
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
