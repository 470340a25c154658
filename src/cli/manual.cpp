// SPDX-License-Identifier: GPL-3.0-or-later
#include "manual.h"

#include "command_line.h"
#include "version.h"

#include <sstream>
#include <string_view>
#include <utility>

namespace {

constexpr std::string_view kName = kProgramName;

// The synopsis in lines broken where a reader expects them.
constexpr std::string_view kSynopsis[] = {
    "-f FROM -t TO [-o DIR | --in-place [--force]] [-r | --depth N]",
    "[-s SUFFIX]... [--keep-tree] [--bom=auto|yes|no] [-j N]",
    "[--dry-run] [--json] [-v | -q] PATH...",
};
// The filter: standard input to standard output.
constexpr std::string_view kPipeSynopsis = "-f FROM -t TO [--bom=auto|yes|no] [-q] [-]";

constexpr std::string_view kDescription[] = {
    "Converts the character encoding of text files, strictly and safely. A file that holds "
    "bytes which are not valid in FROM, or a character that TO cannot represent, is not "
    "converted, and the summary names its line. Every output is written to a temporary file "
    "and renamed into place when complete, so a failed or cancelled file leaves no partial "
    "output and an existing file is replaced whole or not at all.",
    "Each PATH is a file or a directory. Directories are searched as the window searches a "
    "dropped directory: to the depth asked, for the suffixes asked, leaving out hidden files "
    "and directories, never following a link back into the walk. A directory that yields no "
    "file is named on standard error with the suffixes and the depth searched and how many "
    "files it holds that did not match; a command that finds no file at all has nothing to "
    "convert and fails. A directory that cannot be read is named on standard error and in the "
    "report, and fails the command, since its files were not converted. The output directory "
    "of -o, met inside a directory searched, is left out of the search (its files are the "
    "outputs of an earlier run), and standard error says so.",
    "The whole run is planned before any file is touched: the same name listed twice is "
    "converted once, and every other name of a file (a link to it) to its own output; a file "
    "whose output would replace another listed file, or be written where an earlier one is, is "
    "not converted (a file converted under its own name keeps its place); a file "
    "that is already UTF-8 is not converted from a legacy Chinese encoding. "
    "Interrupting the command (SIGINT or SIGTERM) abandons every file in progress cleanly, "
    "leaving its output as it was, and reports them and the files not started as cancelled; "
    "only a file whose finished output is already being moved into place, the work of an "
    "instant, is finished and reported converted.",
    "Byte-order marks: an input that starts with a UTF-8, UTF-16 or UTF-32 mark is read in "
    "the encoding the mark names, and the mark is not part of the text. UTF-16 and UTF-32 "
    "without a mark are little-endian, and are written so after a mark; every other target "
    "is written without one, unless --bom asks otherwise.",
    "A summary goes to standard error, with a progress bar while the run lasts when standard "
    "error is a terminal. File names in the summary and in the lines of -v show bytes that "
    "are not UTF-8, control characters and the backslash escaped as \\xHH and \\\\, so "
    "that no name can drive the terminal; --json has the exact bytes.",
    "With a PATH of -, or with no PATH and neither -o nor --in-place while standard input is "
    "not a terminal, the command is a filter: it converts standard input to standard output, "
    "and says nothing when all goes well. The text is streamed, in little memory whatever its "
    "size, so a reader may already have received the part before a fault: at the first byte "
    "that is not valid in FROM, or character that TO cannot represent, the output stops: the "
    "text before it is written, the start of its line included, nothing from it on, standard "
    "error names the line, and the exit status is 1. A line ends at a line feed, a carriage "
    "return, or the two together. With a legacy Chinese FROM, text that turns out to be UTF-8 "
    "past the start looked at (below) stops the output in the same way where it shows. For output "
    "that is written whole or not at all, give the file as a PATH, "
    "with -o or --in-place.",
    "On standard input, the byte-order mark, \"detect\" and the checks against a wrong FROM "
    "look at the first 64 KiB before anything is written; an input that ends within them is "
    "treated exactly as a file. Beyond them, the conversion itself checks the rest. SIGINT "
    "and SIGTERM end a filter at once, as any other, and so does SIGPIPE, quietly, when the "
    "reader of its output goes away (as head does).",
};

constexpr std::string_view kJson[] = {
    "With --json, standard output holds one object: \"from\", \"to\", \"dry_run\", "
    "\"counts\" (\"entries\", \"converted\", \"unchanged\", \"failed\", \"cancelled\") "
    "\"unreadable_directories\" (one object per directory of the search that could not be "
    "read: \"path\", \"path_bytes\" and \"message\", the system's reason) "
    "and \"files\", one object per entry in the order given: \"input\", \"output\", "
    "\"outcome\" (converted, unchanged, cannot_read, cannot_write, invalid_source, "
    "unrepresentable, cancelled, shared_output, already_utf8, looks_like_other, undecided), "
    "\"line\" (of the first error, or null), "
    "\"character\" (\"U+XXXX\" that TO cannot represent, or null), \"encoding\" (the "
    "encoding the file was read in, detected or named by its byte-order mark, or null), "
    "\"likely\" (another encoding the file seems to be in, or null), \"reason\" (why "
    "detection was undecided, or null), \"repeat\" (true for an entry that repeats an "
    "earlier one, the same file into the same place, and shares its result), \"same_as\" (the "
    "index of the entry this one repeats, or of the entry in its way, which may come later in "
    "the list; or null) and \"message\" (the system's error, or null).",
    "File names are bytes: a name that is not valid UTF-8 appears in \"input\" and "
    "\"output\" with each invalid byte as U+FFFD, and its exact bytes in hexadecimal in "
    "\"input_bytes\" and \"output_bytes\" (\"path_bytes\" for a directory), which are null "
    "otherwise.",
};

constexpr std::pair<std::string_view, std::string_view> kExitStatus[] = {
    {"0", "Every file was converted, or left unchanged."},
    {"1", "Some files were not converted (the summary says which and why), a directory "
          "could not be read, or there was nothing to convert; or standard input was not "
          "converted to its end."},
    {"2", "A usage error, an unknown encoding, or an output directory that cannot be created "
          "or written; no file was read."},
    {"130", "Interrupted by SIGINT."},
    {"141", "Ended by SIGPIPE: the reader of standard output went away."},
    {"143", "Terminated by SIGTERM."},
};

std::string optionLabel(const OptionInfo &info)
{
    std::string label;
    if (info.shortName)
        label += std::string("-") + info.shortName + ", ";
    label += "--" + std::string(info.longName);
    if (info.argument)
        label += "=" + std::string(info.argument);
    return label;
}

// Appends `text` wrapped at `width` columns, each line indented by `indent`
// spaces except the first, which continues what is already on the line.
void appendWrapped(std::string &out, std::string_view text, std::size_t indent, std::size_t column,
                   std::size_t width = 79)
{
    std::istringstream words{std::string(text)};
    std::string word;
    bool first = true;
    while (words >> word) {
        if (!first && column + 1 + word.size() > width) {
            out += '\n' + std::string(indent, ' ');
            column = indent;
        } else if (!first) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        first = false;
    }
    out += '\n';
}

// roff text: backslashes and hyphens escaped, no line taken for a request.
std::string roff(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\''))
        out.insert(0, "\\&");
    return out;
}

} // namespace

std::string versionText()
{
    return std::string(kName) + " " + VELLORAN_VERSION + "\n";
}

std::string helpText()
{
    const std::string usage = "Usage: " + std::string(kName) + " ";
    std::string text;
    for (const std::string_view line : kSynopsis)
        text += (text.empty() ? usage : std::string(usage.size(), ' ')) + std::string(line) + "\n";
    text += "   or: " + std::string(kName) + " " + std::string(kPipeSynopsis) + "\n";
    for (std::string_view paragraph : kDescription) {
        text += '\n';
        appendWrapped(text, paragraph, 0, 0);
    }
    text += "\nOptions:\n";
    constexpr std::size_t helpColumn = 24;
    for (const OptionInfo &info : optionTable()) {
        if (!info.help)
            continue;
        std::string label = "  " + optionLabel(info);
        label += label.size() + 2 <= helpColumn ? std::string(helpColumn - label.size(), ' ')
                                                : "\n" + std::string(helpColumn, ' ');
        text += label;
        appendWrapped(text, info.help, helpColumn, helpColumn);
    }
    text += "\nExit status:\n";
    for (const auto &[status, meaning] : kExitStatus) {
        text += "  " + std::string(status) + std::string(6 - status.size(), ' ');
        appendWrapped(text, meaning, 8, 8);
    }
    text += "\nThe manual page " + std::string(kName) + "(1) describes the JSON report.\n";
    return text;
}

std::string manualPage()
{
    std::ostringstream page;
    page << ".TH VELLORAN\\-CLI 1 \"" VELLORAN_RELEASE_DATE "\" \""
         << roff(versionText().substr(0, versionText().size() - 1)) << "\" \"User Commands\"\n"
         << ".SH NAME\n"
         << roff(kName) << " \\- convert the character encoding of text files\n"
         << ".SH SYNOPSIS\n"
         << ".B " << roff(kName) << "\n"
         << roff(kSynopsis[0]) << "\n"
         << roff(kSynopsis[1]) << "\n"
         << roff(kSynopsis[2]) << "\n"
         << ".br\n.B " << roff(kName) << "\n"
         << roff(kPipeSynopsis) << "\n"
         << ".SH DESCRIPTION\n";
    for (std::string_view paragraph : kDescription)
        page << ".PP\n" << roff(paragraph) << "\n";
    page << ".SH OPTIONS\n";
    for (const OptionInfo &info : optionTable()) {
        if (info.help)
            page << ".TP\n.B " << roff(optionLabel(info)) << "\n" << roff(info.help) << "\n";
    }
    page << ".SH JSON REPORT\n";
    for (std::string_view paragraph : kJson)
        page << ".PP\n" << roff(paragraph) << "\n";
    page << ".SH EXIT STATUS\n";
    for (const auto &[status, meaning] : kExitStatus)
        page << ".TP\n.B " << status << "\n" << roff(meaning) << "\n";
    page << ".SH EXAMPLES\n"
         << ".PP\nConvert a tree of GBK subtitles to UTF-8 in place:\n"
         << ".PP\n.RS\n"
         << roff("velloran-cli -f GBK -t UTF-8 -r -s srt --in-place subtitles") << "\n.RE\n"
         << ".PP\nMirror a tree of files of unknown Chinese encodings, converted to UTF-8, "
            "into another directory, and see first what would happen:\n"
         << ".PP\n.RS\n"
         << roff("velloran-cli -f detect -t UTF-8 -r --keep-tree -o converted --dry-run docs")
         << "\n.RE\n"
         << ".PP\nRead a file of unknown Chinese encoding as UTF-8, in a pipeline:\n"
         << ".PP\n.RS\n"
         << roff("velloran-cli -f detect -t UTF-8 < notes.txt | less") << "\n.RE\n"
         << ".SH SEE ALSO\n"
         << ".BR velloran (1),\n.BR iconv (1),\n.BR uconv (1)\n";
    return page.str();
}
