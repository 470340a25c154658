// SPDX-License-Identifier: GPL-3.0-or-later
// Converts directories the way the window does, for the test that compares
// the window with velloran-cli:
//   window_run FROM TO OUTPUT_DIR DIRECTORY...
// Each directory is added as a drop with the suffix "txt" and the depth -1
// adds it, and the list is converted into OUTPUT_DIR as the window's
// "转换" does: every output straight into the directory, one worker per CPU.
// Prints the report in velloran-cli's JSON, so that the two can be compared.
#include "json_report.h"

#include "velloran/engine.h"

#include <iostream>

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::cerr << "usage: window_run FROM TO OUTPUT_DIR DIRECTORY...\n";
        return 2;
    }
    std::vector<velloran::RunInput> entries;
    for (int i = 4; i < argc; ++i) {
        for (const std::filesystem::path &file : velloran::findFiles(argv[i], {-1, {"txt"}}))
            entries.push_back({file, {}});
    }
    velloran::RunOptions options;
    options.source = velloran::resolveEncoding(argv[1]);
    options.target = velloran::resolveEncoding(argv[2]);
    options.outputRule = velloran::OutputRule::IntoDirectory;
    options.outputDirectory = argv[3];

    FinishedRun run;
    run.from = argv[1];
    run.to = argv[2];
    run.results = velloran::convertRun(entries, options); // as ConversionRun does
    run.plan = velloran::planRun(entries, options);       // for the outputs' names
    std::cout << jsonReport(run, velloran::makeRunReport(run.results).counts);
    return 0;
}
