// SPDX-License-Identifier: GPL-3.0-or-later
#include "completion.h"

#include "command_line.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

const std::string kName(kProgramName);

// The options --help shows, in its order.
std::vector<OptionInfo> shownOptions()
{
    std::vector<OptionInfo> shown;
    for (const OptionInfo &info : optionTable()) {
        if (info.help)
            shown.push_back(info);
    }
    return shown;
}

// A help text's first clause, for the shells that show a line per option.
std::string summaryOf(std::string_view help)
{
    std::size_t end = help.size();
    for (const std::string_view stop : {". ", "; ", ": "})
        end = std::min(end, help.find(stop));
    help = help.substr(0, end);
    return std::string(help.ends_with('.') ? help.substr(0, help.size() - 1) : help);
}

// `text` with each of `special` preceded by a backslash.
std::string escaped(std::string_view text, std::string_view special)
{
    std::string out;
    for (const char c : text) {
        if (special.find(c) != std::string_view::npos)
            out += '\\';
        out += c;
    }
    return out;
}

// `text`, then the option's words after a space when it has any.
std::string withWords(std::string text, const OptionInfo &info)
{
    return *info.words ? text + " " + info.words : text;
}

// `text` in a POSIX shell's single quotes.
std::string singleQuoted(std::string_view text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// What completes the argument of `info`, a command that prints the candidates.
std::string bashWords(const OptionInfo &info)
{
    switch (info.completion) {
    case Completion::Encodings:
        // Encoding names are matched ignoring case, as the engine resolves them.
        return "compgen -W \"" + withWords("$(\"$program\" --list 2>/dev/null)", info) +
               "\" -- \"\" | while read -r word; do "
               "[[ ${word,,} == \"${cur,,}\"* ]] && printf '%s\\n' \"$word\"; done";
    case Completion::Directories:
        return "compgen -d -- \"$cur\"";
    case Completion::Words:
        return "compgen -W \"" + std::string(info.words) + "\" -- \"$cur\"";
    case Completion::Nothing:
        break;
    }
    return "";
}

std::string bashScript()
{
    std::string cases;
    std::string switches;
    for (const OptionInfo &info : shownOptions()) {
        const std::string shortName = info.shortName ? std::string("-") + info.shortName : "";
        const std::string longName = std::string("--") + info.longName;
        switches +=
            (switches.empty() ? "" : " ") + (shortName.empty() ? "" : shortName + " ") + longName;
        if (!info.argument)
            continue;
        const std::string pattern = shortName.empty() ? longName : shortName + "|" + longName;
        const std::string words = bashWords(info);
        cases += "    " + pattern + ")\n" +
                 (words.empty() ? "" : "        mapfile -t COMPREPLY < <(" + words + ")\n") +
                 "        return ;;\n";
    }
    return "# bash completion for " + kName + "; written by " + kName +
           " --completion=bash\n"
           "_velloran_cli()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    local program=${COMP_WORDS[0]/#\\~/$HOME}\n"
           "    # \"--to=UT\" comes as \"--to\" \"=\" \"UT\", and \"--to=\" as \"--to\" \"=\".\n"
           "    if [[ $cur == = ]]; then\n        cur=\n"
           "    elif [[ $prev == = ]]; then\n        prev=${COMP_WORDS[COMP_CWORD-2]}\n    fi\n"
           "    case $prev in\n" +
           cases +
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        mapfile -t COMPREPLY < <(compgen -W \"" +
           switches +
           "\" -- \"$cur\")\n"
           "    else\n        mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n    fi\n}\n"
           "complete -o filenames -F _velloran_cli " +
           kName + "\n";
}

std::string zshAction(const OptionInfo &info)
{
    switch (info.completion) {
    case Completion::Encodings:
        return withWords("_velloran_cli_encodings", info);
    case Completion::Directories:
        return "_files -/";
    case Completion::Words:
        return "(" + std::string(info.words) + ")";
    case Completion::Nothing:
        break;
    }
    return " ";
}

// One option of _arguments, repeatable ('*'): "'*--from=[Source encoding]:FROM:action'".
std::string zshOption(const OptionInfo &info, const std::string &name, const char *withArgument)
{
    std::string option = "*" + name + (info.argument ? withArgument : "") + "[" +
                         escaped(summaryOf(info.help), "[]\\") + "]";
    if (info.argument)
        option += ":" + escaped(info.argument, ":\\") + ":" + zshAction(info);
    return "  " + singleQuoted(option) + " \\\n";
}

std::string zshScript()
{
    std::string options;
    for (const OptionInfo &info : shownOptions()) {
        if (info.shortName)
            options += zshOption(info, std::string("-") + info.shortName, "+");
        options += zshOption(info, std::string("--") + info.longName, "=");
    }
    return "#compdef " + kName +
           "\n"
           "# zsh completion for " +
           kName + "; written by " + kName +
           " --completion=zsh\n\n"
           "_velloran_cli_encodings() {\n"
           "  local -a names\n"
           "  names=($(${words[1]/#\\~/$HOME} --list 2>/dev/null) \"$@\")\n"
           "  compadd -a names\n}\n\n"
           "_arguments -s -S \\\n" +
           options + "  '*:PATH:_files'\n";
}

std::string fishArguments(const OptionInfo &info)
{
    switch (info.completion) {
    case Completion::Encodings:
        return " -x -a '" + withWords("(__velloran_cli_encodings)", info) + "'";
    case Completion::Directories:
        return " -x -a '(__fish_complete_directories (commandline -ct))'";
    case Completion::Words:
        return " -x -a '" + std::string(info.words) + "'";
    case Completion::Nothing:
        break;
    }
    return info.argument ? " -x" : "";
}

std::string fishScript()
{
    std::string lines;
    for (const OptionInfo &info : shownOptions()) {
        lines += "complete -c " + kName +
                 (info.shortName ? std::string(" -s ") + info.shortName : "") + " -l " +
                 info.longName + fishArguments(info) + " -d '" +
                 escaped(summaryOf(info.help), "'\\") + "'\n";
    }
    return "# fish completion for " + kName + "; written by " + kName +
           " --completion=fish\n\n"
           "function __velloran_cli_encodings\n"
           "    set -l program (commandline -opc)[1]\n"
           "    command $program --list 2>/dev/null | string split ' '\n"
           "end\n\n" +
           lines;
}

} // namespace

std::string completionScript(std::string_view shell)
{
    if (shell == "zsh")
        return zshScript();
    if (shell == "fish")
        return fishScript();
    return bashScript();
}
