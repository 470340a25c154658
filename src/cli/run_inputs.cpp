// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_inputs.h"

#include "system.h"
#include "text_bytes.h"

#include <cerrno>
#include <cstring>
#include <iterator>
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
    velloran::ScanOptions scan{line.depth, line.suffixes};
    if (!line.inPlace)
        scan.leaveOut.push_back(line.outputDirectory);
    CollectedInputs collected;
    for (const std::filesystem::path &path : line.paths) {
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            // A file, or nothing: the run reports what cannot be read.
            collected.inputs.push_back({path, {}});
            continue;
        }
        velloran::ScanResult found = velloran::scanDirectory(path, scan);
        const bool readItself = found.unreadable.empty() || found.unreadable.front().path != path;
        if (found.files.empty() && readItself)
            collected.fruitless.push_back(path);
        for (std::filesystem::path &file : found.files)
            collected.inputs.push_back({std::move(file), path});
        std::move(found.unreadable.begin(), found.unreadable.end(),
                  std::back_inserter(collected.unreadable));
        std::move(found.leftOut.begin(), found.leftOut.end(),
                  std::back_inserter(collected.leftOut));
    }
    return collected;
}

std::optional<std::string> pipeAmongPaths(const CommandLine &line)
{
    for (const std::filesystem::path &path : line.paths) {
        std::error_code error;
        if (std::filesystem::is_fifo(path, error)) {
            const std::string name = nameText(path);
            return name + " is a pipe, not a file: give it as standard input instead (" +
                   std::string(kProgramName) + " -f " + terminalText(line.from) + " -t " +
                   terminalText(line.to) + " - < " + name + ")";
        }
    }
    return std::nullopt;
}

std::string leftOutNote(const std::filesystem::path &outputDirectory)
{
    return "the output directory " + nameText(outputDirectory) +
           " is inside a directory searched; it is left out of the search";
}

std::string unreadableDirectoryLine(const velloran::UnreadableDirectory &directory)
{
    return nameText(directory.path) + " (" + directory.message + ")";
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

namespace {

// What making `directory` would meet, without making it: the nearest part of
// it that exists must be a directory the user may write into.
std::optional<std::string> creationProblem(const std::filesystem::path &directory)
{
    std::filesystem::path existing = directory;
    std::error_code error;
    while (!std::filesystem::exists(existing, error) && existing.has_relative_path())
        existing = existing.parent_path().empty() ? "." : existing.parent_path();
    if (!std::filesystem::is_directory(existing, error))
        return std::strerror(ENOTDIR);
    return cannotWriteInto(existing);
}

} // namespace

std::optional<std::string> prepareOutputDirectory(const CommandLine &line)
{
    if (line.inPlace)
        return std::nullopt;
    const std::filesystem::path &directory = line.outputDirectory;
    const std::string name = nameText(directory);
    std::error_code error;
    if (std::filesystem::exists(directory, error)) {
        if (!std::filesystem::is_directory(directory, error))
            return "the output directory " + name + " is not a directory";
    } else if (line.dryRun) {
        if (const std::optional<std::string> problem = creationProblem(directory))
            return "cannot create the output directory " + name + ": " + *problem;
        return std::nullopt;
    } else if (std::filesystem::create_directories(directory, error); error) {
        return "cannot create the output directory " + name + ": " + error.message();
    }
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
