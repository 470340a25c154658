// Converts files with the engine, for the benchmark scripts:
//   velloran-convert FROM TO INPUT OUTPUT_DIR [--workers N] [--chunk BYTES]
//   velloran-convert FROM TO --batch LISTFILE OUTPUT_DIR [--workers N] [--chunk BYTES]
// LISTFILE names one input per line. Both forms go through convertRun;
// --workers 0 (the default) means one worker per CPU the process may use.
// Exit status: 0 when every file converted, 1 when some did not (each is
// named on stderr), 2 for a usage error or an unknown encoding.
#include "velloran/engine.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::cerr << "usage: velloran-convert FROM TO INPUT OUTPUT_DIR [--workers N] [--chunk BYTES]\n"
                 "       velloran-convert FROM TO --batch LISTFILE OUTPUT_DIR [--workers N] "
                 "[--chunk BYTES]\n";
    return 2;
}

const char *outcomeName(velloran::Outcome outcome)
{
    switch (outcome) {
    case velloran::Outcome::Converted:
        return "converted";
    case velloran::Outcome::CannotRead:
        return "cannot read";
    case velloran::Outcome::CannotWrite:
        return "cannot write";
    case velloran::Outcome::InvalidSource:
        return "invalid in the source encoding";
    case velloran::Outcome::Unrepresentable:
        return "not representable in the target encoding";
    case velloran::Outcome::Cancelled:
        return "cancelled";
    case velloran::Outcome::SharedOutput:
        return "not written: an earlier file has the same output";
    case velloran::Outcome::AlreadyUtf8:
        return "already UTF-8";
    case velloran::Outcome::Undecided:
        return "encoding undecided";
    }
    return "?";
}

bool readList(const std::string &listFile, std::vector<velloran::RunInput> &inputs)
{
    std::ifstream list(listFile);
    if (!list)
        return false;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty())
            inputs.push_back({line, {}});
    }
    return true;
}

bool parseNumber(const char *text, unsigned long long &value)
{
    char *end = nullptr;
    value = std::strtoull(text, &end, 10);
    return *text != '\0' && *end == '\0';
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> positional;
    std::string listFile;
    velloran::RunOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        unsigned long long number = 0;
        if (i + 1 < argc && arg == "--batch") {
            listFile = argv[++i];
        } else if (i + 1 < argc && arg == "--workers" && parseNumber(argv[i + 1], number)) {
            options.workers = static_cast<unsigned>(number);
            ++i;
        } else if (i + 1 < argc && arg == "--chunk" && parseNumber(argv[i + 1], number)) {
            options.tuning.chunkSize = static_cast<std::size_t>(number);
            ++i;
        } else if (arg.starts_with("--")) {
            return usage();
        } else {
            positional.push_back(arg);
        }
    }
    // FROM TO INPUT OUTPUT_DIR, or FROM TO OUTPUT_DIR with --batch.
    if (positional.size() != (listFile.empty() ? 4u : 3u))
        return usage();
    options.sourceEncoding = positional[0];
    options.targetEncoding = positional[1];
    options.outputDirectory = positional.back();

    std::vector<velloran::RunInput> inputs;
    if (listFile.empty()) {
        inputs.push_back({positional[2], {}});
    } else if (!readList(listFile, inputs)) {
        std::cerr << "velloran-convert: cannot read " << listFile << '\n';
        return 2;
    }

    std::vector<velloran::FileResult> results;
    try {
        results = velloran::convertRun(inputs, options);
    } catch (const velloran::UnknownEncoding &error) {
        std::cerr << "velloran-convert: unknown encoding " << error.name() << '\n';
        return 2;
    }

    int failed = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const velloran::FileResult &result = results[i];
        if (result.outcome == velloran::Outcome::Converted)
            continue;
        ++failed;
        std::cerr << inputs[i].path.string() << ": " << outcomeName(result.outcome);
        if (result.line != 0)
            std::cerr << " (line " << result.line << ')';
        if (result.character != 0) {
            char code[16];
            std::snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(result.character));
            std::cerr << code;
        }
        if (!result.message.empty())
            std::cerr << ": " << result.message;
        std::cerr << '\n';
    }
    return failed == 0 ? 0 : 1;
}
