// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of velloran::convertFile, in input bytes per second:
//   bench_engine [--benchmark_repetitions=5 ...]
// The inputs are the first 32 MiB of each file of the corpus that
// bench/make_corpus.py writes (VELLORAN_CORPUS, default
// /tmp/velloran-corpus-engine, made when missing), copied to tmpfs
// (VELLORAN_BENCH_DIR, default /dev/shm/velloran-bench-engine, removed at exit).
// "copy" is the same file read and written without conversion: the I/O ceiling.
#include "velloran/engine.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kInputSize = 32 << 20;

// The corpus bench/make_corpus.py writes, with a little more than kInputSize
// bytes of GB18030; made once and kept for later runs.
fs::path corpusDirectory()
{
    const char *given = std::getenv("VELLORAN_CORPUS");
    const fs::path directory = given ? given : "/tmp/velloran-corpus-engine";
    if (!fs::exists(directory / "complete")) {
        std::cerr << "bench_engine: making the corpus in " << directory << "...\n";
        const std::string command = "python3 '" VELLORAN_MAKE_CORPUS "' '" + directory.string() +
                                    "' --size " + std::to_string((kInputSize >> 20) + 2);
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("cannot make the corpus: " + command);
    }
    return directory;
}

// The first kInputSize bytes of a corpus file, ending after a line feed.
std::string corpusPrefix(const fs::path &file, bool utf16)
{
    std::ifstream in(file, std::ios::binary);
    std::string data(kInputSize, '\0');
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(in.gcount()));
    std::size_t end = data.size();
    if (utf16) {
        for (end -= end % 2; end >= 2 && !(data[end - 2] == '\n' && data[end - 1] == '\0');)
            end -= 2;
    } else {
        end = data.rfind('\n') + 1;
    }
    if (end < 2)
        throw std::runtime_error("no line end in " + file.string());
    data.resize(end);
    return data;
}

void writeFile(const fs::path &path, const std::string &data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

constexpr const char *kInputs[] = {"gb18030.txt", "gbk.txt", "big5.txt", "utf-8.txt", "utf-16.txt"};

void writeInputs(const fs::path &directory)
{
    fs::create_directories(directory / "out");
    const fs::path corpus = corpusDirectory();
    for (const char *name : kInputs)
        writeFile(directory / name,
                  corpusPrefix(corpus / name, std::string_view(name) == "utf-16.txt"));
}

struct Direction
{
    const char *from;
    const char *to;
    const char *input;
};
constexpr Direction kDirections[] = {
    {"GB18030", "UTF-8", "gb18030.txt"}, {"UTF-8", "GB18030", "utf-8.txt"},
    {"Big5", "UTF-8", "big5.txt"},       {"GBK", "UTF-8", "gbk.txt"},
    {"UTF-8", "UTF-16", "utf-8.txt"},    {"UTF-16", "UTF-8", "utf-16.txt"},
};

// Each iteration writes a new output file, as a real run usually does (an
// existing one would be flushed to disk before being replaced).
void convert(benchmark::State &state, const fs::path &directory, Direction direction)
{
    const fs::path input = directory / direction.input;
    const fs::path output = directory / "out" / direction.input;
    velloran::ConvertOptions options;
    options.source = velloran::resolveSource(direction.from);
    options.target = velloran::resolveEncoding(direction.to);
    if (state.range(0) != 0)
        options.tuning.chunkSize = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        const velloran::FileResult result = velloran::convertFile(input, output, options);
        if (result.outcome != velloran::Outcome::Converted) {
            state.SkipWithError("the file did not convert");
            break;
        }
        state.PauseTiming();
        fs::remove(output);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(input)));
}

void copy(benchmark::State &state, const fs::path &directory, const char *name)
{
    const fs::path input = directory / name;
    const fs::path output = directory / "out" / name;
    std::vector<char> buffer(velloran::kDefaultChunkSize);
    for (auto _ : state) {
        std::ifstream in(input, std::ios::binary);
        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) ||
               in.gcount() > 0)
            out.write(buffer.data(), in.gcount());
        out.close();
        state.PauseTiming();
        fs::remove(output);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(input)));
}

void registerBenchmarks(const fs::path &directory)
{
    auto configure = [](benchmark::internal::Benchmark *b) {
        b->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
    };
    for (const Direction &direction : kDirections) {
        const std::string name = std::string("convert/") + direction.from + "->" + direction.to;
        configure(benchmark::RegisterBenchmark(name.c_str(), convert, directory, direction)
                      ->Arg(0)
                      ->ArgName("default_chunk"));
    }
    // Chunk size sweep, 4 KiB to 64 MiB, on the first direction.
    configure(
        benchmark::RegisterBenchmark("chunk/GB18030->UTF-8", convert, directory, kDirections[0])
            ->ArgName("chunk")
            ->RangeMultiplier(4)
            ->Range(4 << 10, 64 << 20));
    configure(benchmark::RegisterBenchmark("copy/gb18030", copy, directory, "gb18030.txt"));
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const char *dir = std::getenv("VELLORAN_BENCH_DIR");
    const fs::path directory = dir ? dir : "/dev/shm/velloran-bench-engine";
    try {
        writeInputs(directory);
    } catch (const std::exception &error) {
        std::cerr << "bench_engine: " << error.what() << '\n';
        return 1;
    }
    registerBenchmarks(directory);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(directory);
    return 0;
}
