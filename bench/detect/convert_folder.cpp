// SPDX-License-Identifier: GPL-3.0-or-later
// A run over the .txt files of a folder (or over one file), as velloran-cli
// makes it, for timing what knowing the source costs: the source named, the
// source "detect", and the source named with the guards switched off.
//
//     convert_folder [--unguarded] SOURCE TARGET INPUT OUTPUT_DIR
//
// The guards watch over an encoding's Chinese family (Encoding::family);
// --unguarded clears it after resolving the name, so the run converts exactly
// as before but asks none of the guards' questions. Only this benchmark does
// that: the engine offers no such option.
#include "velloran/engine.h"

#include <cstdio>
#include <cstring>
#include <iostream>

namespace fs = std::filesystem;

int main(int argc, char **argv)
{
    const bool unguarded = argc > 1 && std::strcmp(argv[1], "--unguarded") == 0;
    char **arguments = argv + (unguarded ? 2 : 1);
    if (argc - (arguments - argv) != 4) {
        std::cerr << "usage: convert_folder [--unguarded] SOURCE TARGET INPUT OUTPUT_DIR\n";
        return 2;
    }
    velloran::RunOptions options;
    options.source = velloran::resolveSource(arguments[0]);
    options.target = velloran::resolveEncoding(arguments[1]);
    options.outputDirectory = arguments[3];
    if (unguarded)
        options.source.family.clear();

    const fs::path input = arguments[2];
    std::vector<velloran::RunInput> inputs;
    if (!fs::is_directory(input))
        inputs.push_back({input});
    for (const fs::path &file : velloran::findFiles(input, {.suffixes = {"txt"}}))
        inputs.push_back({file});
    std::size_t failed = 0;
    for (const velloran::FileResult &result : velloran::convertRun(inputs, options))
        failed += result.outcome == velloran::Outcome::Converted ? 0 : 1;
    if (failed != 0) {
        std::fprintf(stderr, "%zu of %zu files not converted\n", failed, inputs.size());
        return 1;
    }
    return 0;
}
