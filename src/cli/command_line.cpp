// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line.h"

#include "pipe_mode.h"
#include "system.h"

#include "velloran/encoding.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <iterator>
#include <sstream>

namespace {

constexpr OptionInfo kOptions[] = {
    {OptionId::From, "from", 'f', "FROM",
     "Source encoding: GB18030, GBK, GB2312, Big5, UTF-8, UTF-16, UTF-32, UTF-7 or any "
     "other name ICU knows (--list lists them); \"detect\" detects each file's encoding "
     "and leaves out the files it cannot decide.",
     Completion::Encodings, "detect"},
    {OptionId::To, "to", 't', "TO", "Target encoding, any name ICU knows.", Completion::Encodings},
    {OptionId::Output, "output", 'o', "DIR",
     "Write the outputs into DIR, created when missing; a DIR that cannot be created or "
     "written stops the command before any file is read. Either this or --in-place is "
     "required for files.",
     Completion::Directories},
    {OptionId::InPlace, "in-place", 0, nullptr,
     "Replace each file by its conversion. A file that would come out byte for byte as it "
     "is, such as one converted to UTF-8 by an earlier run, is left as it is and counted as "
     "unchanged. A file read from GB18030, GBK, GB2312 or Big5 "
     "that looks like the other of the two Chinese families (GB18030 or Big5) is then not "
     "converted, since its original bytes would be gone. A PATH that is a symbolic link is "
     "replaced by a regular file holding the converted text; the file it led to keeps its "
     "text."},
    {OptionId::Force, "force", 0, nullptr,
     "Convert such files in place anyway, each with a warning that names the family it "
     "looks like."},
    {OptionId::Recursive, "recursive", 'r', nullptr,
     "Search directories down the whole tree; the same as --depth -1."},
    {OptionId::Depth, "depth", 0, "N",
     "Search N levels of subdirectories below each directory given; -1 is the whole tree. "
     "The default, 0, is the directory alone."},
    {OptionId::Suffix, "suffix", 's', "SUFFIX",
     "Take the files of a directory whose name ends in \".SUFFIX\", case included; may be "
     "given several times. The default is txt; a leading dot is not part of it (.txt is "
     "txt), and it is no pattern (not *.txt). An empty SUFFIX takes names without one. "
     "Files given directly are taken whatever their suffix."},
    {OptionId::KeepTree, "keep-tree", 0, nullptr,
     "With -o, keep each file's path relative to the directory it was found under, "
     "creating the subdirectories. Without it every output goes straight into DIR."},
    {OptionId::Bom, "bom", 0, "auto|yes|no",
     "Whether the output starts with a byte-order mark. auto, the default: UTF-16 and UTF-32 "
     "are written little-endian after a mark, every other encoding without one. yes: a mark "
     "for UTF-8 and for UTF-16 and UTF-32 in either byte order, and a usage error for any "
     "other target (UTF-8 with a mark is what spreadsheet programs on Windows need to open a "
     "CSV file as UTF-8). no: no mark, UTF-16 and UTF-32 then little-endian.",
     Completion::Words, "auto yes no"},
    {OptionId::Jobs, "jobs", 'j', "N",
     "Convert N files at once. The default, 0, is one per CPU this process may use."},
    {OptionId::DryRun, "dry-run", 0, nullptr,
     "Do everything but write: read, detect and convert each file, and report what a run "
     "would do (repeated files, shared outputs, undecided files, errors with their line) "
     "without creating, writing or renaming any file. Only a failure to write cannot be "
     "foreseen."},
    {OptionId::Json, "json", 0, nullptr,
     "Write a report in JSON on standard output instead of the summary."},
    {OptionId::Verbose, "verbose", 'v', nullptr,
     "Write a line on standard error as each file finishes, instead of the progress bar: "
     "what became of it, the encoding it was read in (the detected one with -f detect), "
     "and the file and its output."},
    {OptionId::Quiet, "quiet", 'q', nullptr, "Show no progress bar."},
    {OptionId::List, "list", 'l', nullptr,
     "List the encodings one can name, one per line with its aliases: the window's eight "
     "first, then every other one ICU knows; and exit."},
    {OptionId::Help, "help", 'h', nullptr, "Show this help and exit."},
    {OptionId::Version, "version", 'V', nullptr, "Show the version and exit."},
    {OptionId::Manual, "man", 0, nullptr, nullptr},
    {OptionId::Completion, "completion", 0, "SHELL", nullptr, Completion::Words, "bash zsh fish"},
};

// getopt_long reports a long option without a short form by this value plus
// its row in the table.
constexpr int kLongOnly = 256;

std::vector<option> getoptLongOptions()
{
    std::vector<option> options;
    for (std::size_t row = 0; row < std::size(kOptions); ++row) {
        const OptionInfo &info = kOptions[row];
        const int value = info.shortName ? info.shortName : kLongOnly + int(row);
        options.push_back(
            {info.longName, info.argument ? required_argument : no_argument, nullptr, value});
    }
    options.push_back({nullptr, 0, nullptr, 0});
    return options;
}

std::string getoptShortOptions()
{
    std::string text = ":"; // report a missing argument as ':'
    for (const OptionInfo &info : kOptions) {
        if (info.shortName) {
            text += info.shortName;
            if (info.argument)
                text += ':';
        }
    }
    return text;
}

const OptionInfo *optionFor(int value)
{
    if (value >= kLongOnly && value < kLongOnly + int(std::size(kOptions)))
        return &kOptions[value - kLongOnly];
    for (const OptionInfo &info : kOptions) {
        if (info.shortName && info.shortName == value)
            return &info;
    }
    return nullptr;
}

template <typename Number> Number parseNumber(const char *text, Number lowest, const char *option)
{
    const std::string_view view(text);
    Number value{};
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (view.empty() || error != std::errc() || end != view.data() + view.size() || value < lowest)
        throw UsageError(std::string("invalid number for ") + option + ": '" + text + "'");
    return value;
}

// The option getopt_long stopped at, as the user wrote it.
std::string offendingOption(char **argv)
{
    if (optopt > 0 && optopt < kLongOnly)
        return std::string("-") + char(optopt);
    if (const OptionInfo *info = optionFor(optopt))
        return std::string("--") + info->longName;
    return argv[optind - 1];
}

// A suffix as the scan matches it: the bytes after a name's last dot, so
// ".txt" is "txt". A pattern would match nothing: the message says what to
// write instead.
std::string suffixArgument(std::string_view text)
{
    constexpr std::string_view kWildcards = "*?[";
    if (text.find_first_of(kWildcards) == std::string_view::npos)
        return std::string(text.starts_with('.') ? text.substr(1) : text);
    std::string_view plain = text;
    if (plain.starts_with("*."))
        plain.remove_prefix(2);
    const std::string pattern = "'" + std::string(text) + "'";
    if (plain.empty() || plain.find_first_of(kWildcards) != std::string_view::npos)
        throw UsageError("-s takes a suffix such as txt, not a pattern like " + pattern);
    throw UsageError("-s takes a suffix, not a pattern: write -s " + std::string(plain) +
                     " instead of -s " + pattern);
}

// One of the words the option's row offers.
std::string oneOfWords(OptionId id, const char *argument)
{
    const OptionInfo &info = *std::find_if(std::begin(kOptions), std::end(kOptions),
                                           [id](const OptionInfo &row) { return row.id == id; });
    std::istringstream words{std::string(info.words)};
    for (std::string word; words >> word;) {
        if (word == argument)
            return word;
    }
    std::string choices = info.words;
    std::replace(choices.begin(), choices.end(), ' ', '|');
    throw UsageError(std::string("--") + info.longName + " takes " + choices + ", not '" +
                     argument + "'");
}

MarkChoice markChoice(const char *argument)
{
    const std::string word = oneOfWords(OptionId::Bom, argument);
    return word == "yes" ? MarkChoice::Yes : word == "no" ? MarkChoice::No : MarkChoice::Auto;
}

void applyOption(CommandLine &line, OptionId id, const char *argument)
{
    if (!line.has(id))
        line.given.push_back(id);
    switch (id) {
    case OptionId::From:
        line.from = argument;
        break;
    case OptionId::To:
        line.to = argument;
        break;
    case OptionId::Output:
        line.outputDirectory = pathFromArgument(argument);
        if (line.outputDirectory.empty())
            throw UsageError("-o needs a directory");
        break;
    case OptionId::InPlace:
        line.inPlace = true;
        break;
    case OptionId::Recursive:
        line.depth = -1;
        break;
    case OptionId::Depth:
        line.depth = parseNumber<int>(argument, -1, "--depth");
        break;
    case OptionId::Suffix:
        line.suffixes.push_back(suffixArgument(argument));
        break;
    case OptionId::KeepTree:
        line.keepTree = true;
        break;
    case OptionId::Jobs:
        line.workers = parseNumber<unsigned>(argument, 0, "-j");
        break;
    case OptionId::Bom:
        line.bom = markChoice(argument);
        break;
    case OptionId::DryRun:
        line.dryRun = true;
        break;
    case OptionId::Json:
        line.json = true;
        break;
    case OptionId::Verbose:
        line.verbose = true;
        break;
    case OptionId::Quiet:
        line.quiet = true;
        break;
    case OptionId::List:
        line.action = CommandLine::Action::List;
        break;
    case OptionId::Force:
        line.force = true;
        break;
    case OptionId::Help:
        line.action = CommandLine::Action::Help;
        break;
    case OptionId::Version:
        line.action = CommandLine::Action::Version;
        break;
    case OptionId::Manual:
        line.action = CommandLine::Action::Manual;
        break;
    case OptionId::Completion:
        line.action = CommandLine::Action::Completion;
        line.shell = oneOfWords(OptionId::Completion, argument);
        break;
    }
}

// Resolves the two names, before any file is touched.
void resolveEncodings(CommandLine &line)
{
    if (line.from.empty() || line.to.empty())
        throw UsageError("both -f FROM and -t TO are required");
    if (line.to == velloran::kDetectEncoding)
        throw UsageError("detect is a source, not a target");
    try {
        line.source = velloran::resolveSource(line.from);
        line.target = velloran::resolveEncoding(line.to);
    } catch (const velloran::UnknownEncoding &unknown) {
        const std::string list = "velloran-cli --list lists the names it knows";
        // iconv's suffixes ask for what a strict conversion never does.
        if (unknown.name().find("//") != std::string::npos)
            throw UsageError("unknown encoding '" + unknown.name() +
                             "': conversions are strict, with no //TRANSLIT or //IGNORE; " + list);
        throw UsageError("unknown encoding '" + unknown.name() + "'; " + list);
    }
}

// --bom decides the target's mark where the target can carry one.
void applyMarkChoice(CommandLine &line)
{
    if (line.bom == MarkChoice::Auto)
        return;
    if (line.bom == MarkChoice::Yes && !line.target.canCarryMark)
        throw UsageError("--bom=yes: " + line.to +
                         " has no byte-order mark; UTF-8, UTF-16 and UTF-32 have one");
    line.target.writesMark = line.bom == MarkChoice::Yes;
}

void checkOutput(const CommandLine &line)
{
    if (line.paths.empty())
        throw UsageError("no PATH given: name the files or directories to convert, or pipe text "
                         "into standard input");
    if (line.inPlace && !line.outputDirectory.empty())
        throw UsageError("-o and --in-place exclude each other");
    if (!line.inPlace && line.outputDirectory.empty())
        throw UsageError("either -o DIR or --in-place is required");
    if (line.inPlace && line.keepTree)
        throw UsageError("--keep-tree needs -o DIR");
    // With -o, a file that looks like the other family is converted anyway,
    // with a warning: there is nothing to force.
    if (line.force && !line.inPlace)
        throw UsageError("--force is for --in-place: with -o, such files are converted anyway");
}

void checkReports(const CommandLine &line)
{
    if (line.verbose && line.quiet)
        throw UsageError("-q and -v exclude each other");
}

} // namespace

std::span<const OptionInfo> optionTable()
{
    return kOptions;
}

CommandLine parseCommandLine(int argc, char **argv, bool inputIsTerminal)
{
    const std::vector<option> longOptions = getoptLongOptions();
    const std::string shortOptions = getoptShortOptions();
    CommandLine line;
    opterr = 0; // the messages are ours
    optind = 0; // start afresh, also when called twice
    int value = 0;
    while ((value = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr)) !=
           -1) {
        if (value == ':')
            throw UsageError("option '" + offendingOption(argv) + "' needs an argument");
        const OptionInfo *info = optionFor(value);
        if (value == '?' || !info)
            throw UsageError("unknown option '" + offendingOption(argv) + "'");
        applyOption(line, info->id, optarg);
    }
    if (line.action != CommandLine::Action::Convert)
        return line;

    for (int i = optind; i < argc; ++i)
        line.paths.push_back(pathFromArgument(argv[i]));
    resolveEncodings(line);
    applyMarkChoice(line);
    checkReports(line);
    if (wantsPipe(line, inputIsTerminal)) {
        checkPipe(line);
        line.action = CommandLine::Action::ConvertPipe;
        return line;
    }
    if (line.suffixes.empty())
        line.suffixes.emplace_back("txt");
    checkOutput(line);
    return line;
}

bool CommandLine::has(OptionId id) const
{
    return std::find(given.begin(), given.end(), id) != given.end();
}

void printError(const std::string &message)
{
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(kProgramName.size()), kProgramName.data(),
                 message.c_str());
}
