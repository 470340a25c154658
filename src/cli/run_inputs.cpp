// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_inputs.h"

#include "system.h"
#include "text_bytes.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

// "the suffix txt", "the suffixes txt, ''": as -s takes them.
std::string suffixesText(const std::vector<std::string> &suffixes)
{
    std::string text = suffixes.size() == 1 ? "the suffix " : "the suffixes ";
    for (std::size_t i = 0; i < suffixes.size(); ++i)
        text += (i > 0 ? ", " : "") + (suffixes[i].empty() ? "''" : terminalText(suffixes[i]));
    return text;
}

std::string depthText(int depth)
{
    if (depth == -1)
        return "in the whole tree";
    if (depth <= 0)
        return "in the directory alone (depth 0)";
    return "within depth " + std::to_string(depth);
}

std::string filesText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

} // namespace

CollectedInputs collectInputs(const CommandLine &line)
{
    const velloran::ScanOptions scan{line.depth, line.suffixes};
    CollectedInputs collected;
    for (const std::filesystem::path &path : line.paths) {
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            // A file, or nothing: the run reports what cannot be read.
            collected.inputs.push_back({path, {}});
            continue;
        }
        std::vector<std::filesystem::path> found = velloran::findFiles(path, scan);
        if (found.empty())
            collected.fruitless.push_back(path);
        for (std::filesystem::path &file : found)
            collected.inputs.push_back({std::move(file), path});
    }
    return collected;
}

std::string fruitlessDirectoryNote(const CommandLine &line, const std::filesystem::path &directory)
{
    const std::size_t searched = velloran::countFiles(directory, line.depth);
    std::string note = nameText(directory) + ": no file with " + suffixesText(line.suffixes) + " " +
                       depthText(line.depth) + "; it holds " + filesText(searched) +
                       " with other suffixes";
    if (line.depth == -1)
        return note;
    const std::size_t deeper = velloran::countFiles(directory, -1) - searched;
    return note + " there, and " + filesText(deeper) + " deeper (-r searches the whole tree)";
}

std::optional<std::string> prepareOutputDirectory(const CommandLine &line)
{
    if (line.inPlace || line.dryRun)
        return std::nullopt;
    const std::filesystem::path &directory = line.outputDirectory;
    const std::string name = nameText(directory);
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        return "cannot create the output directory " + name + ": " + error.message();
    if (!std::filesystem::is_directory(directory, error))
        return "the output directory " + name + " is not a directory";
    if (const std::optional<std::string> reason = cannotWriteInto(directory))
        return "cannot write into the output directory " + name + ": " + *reason;
    return std::nullopt;
}

velloran::RunOptions runOptions(const CommandLine &line)
{
    velloran::RunOptions options;
    options.source = line.source;
    options.target = line.target;
    if (line.inPlace)
        options.outputRule = velloran::OutputRule::InPlace;
    else
        options.outputRule =
            line.keepTree ? velloran::OutputRule::KeepTree : velloran::OutputRule::IntoDirectory;
    options.outputDirectory = line.outputDirectory;
    options.workers = line.workers;
    options.dryRun = line.dryRun;
    options.convertLookalikes = line.force;
    return options;
}
