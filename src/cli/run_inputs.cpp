#include "run_inputs.h"

#include <system_error>

std::vector<velloran::RunInput> collectInputs(const CommandLine &line)
{
    const velloran::ScanOptions scan{line.depth, line.suffixes};
    std::vector<velloran::RunInput> inputs;
    for (const std::filesystem::path &path : line.paths) {
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            // A file, or nothing: the run reports what cannot be read.
            inputs.push_back({path, {}});
            continue;
        }
        for (std::filesystem::path &file : velloran::findFiles(path, scan))
            inputs.push_back({std::move(file), path});
    }
    return inputs;
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
