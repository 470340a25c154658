// SPDX-License-Identifier: GPL-3.0-or-later
// Time to plan a run of 100,000 entries (identities, output locations and the
// collision checks), for each output rule:
//   bench_plan [--benchmark_repetitions=5 ...]
// The files are made empty on tmpfs (VELLORAN_BENCH_DIR, default
// /dev/shm/velloran-bench-plan, removed at exit): 100 folders of 1,000 files,
// every tenth name shared with the folder before it so that some outputs collide.
#include "velloran/engine.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;

fs::path benchDirectory()
{
    const char *chosen = std::getenv("VELLORAN_BENCH_DIR");
    return chosen ? fs::path(chosen) : fs::path("/dev/shm/velloran-bench-plan");
}

class Tree
{
public:
    Tree() : m_root(benchDirectory() / "输入")
    {
        fs::remove_all(benchDirectory());
        for (int folder = 0; folder < kFolders; ++folder) {
            const fs::path directory = m_root / ("目录" + std::to_string(folder));
            fs::create_directories(directory);
            for (int file = 0; file < kFilesPerFolder; ++file) {
                // Every tenth file has the name of one in the folder before.
                const int number = file % 10 == 0 ? (folder - 1) * kFilesPerFolder + file
                                                  : folder * kFilesPerFolder + file;
                const fs::path path = directory / ("文件" + std::to_string(number) + ".txt");
                std::ofstream{path};
                m_inputs.push_back({path, m_root});
            }
        }
    }
    ~Tree() { fs::remove_all(benchDirectory()); }

    const std::vector<velloran::RunInput> &inputs() const { return m_inputs; }

private:
    fs::path m_root;
    std::vector<velloran::RunInput> m_inputs;
};

const Tree &tree()
{
    static const Tree made;
    return made;
}

void planning(benchmark::State &state, velloran::OutputRule rule)
{
    velloran::RunOptions options;
    options.source = velloran::resolveEncoding("GB18030");
    options.target = velloran::resolveEncoding("UTF-8");
    options.outputRule = rule;
    options.outputDirectory = benchDirectory() / "输出";
    const auto &inputs = tree().inputs();
    for (auto _ : state) {
        const velloran::RunPlan plan = velloran::planRun(inputs, options);
        benchmark::DoNotOptimize(plan.entries.data());
    }
    state.counters["entries"] = static_cast<double>(inputs.size());
}

BENCHMARK_CAPTURE(planning, into_directory, velloran::OutputRule::IntoDirectory)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(planning, keep_tree, velloran::OutputRule::KeepTree)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(planning, in_place, velloran::OutputRule::InPlace)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
