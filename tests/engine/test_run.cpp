// SPDX-License-Identifier: GPL-3.0-or-later
// Runs: results in list order, the plan's refusals and repeats, observers,
// cancellation, output rules, and the same outcome however many workers run.
#include "run/cgroup_quota.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <tuple>

namespace velloran::test {
namespace {

using enum Outcome;

const std::string kGbkText = "\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4"; // 中文测试
const std::string kUtf8Text = "中文测试";

class Run : public testing::Test
{
protected:
    Run() : in(scratch.subdirectory("输入")), out(scratch.subdirectory("输出")) {}

    fs::path input(const std::string &relative, const std::string &bytes)
    {
        const fs::path path = in / relative;
        fs::create_directories(path.parent_path());
        writeBytes(path, bytes);
        return path;
    }

    RunOptions options(unsigned workers = 1, const fs::path &directory = {}) const
    {
        return runOptions("GB18030", "UTF-16", directory.empty() ? out : directory, workers);
    }

    static std::vector<Outcome> outcomes(const std::vector<FileResult> &results)
    {
        std::vector<Outcome> list;
        for (const FileResult &result : results)
            list.push_back(result.outcome);
        return list;
    }

    std::string utf16Of(const std::string &gb18030)
    {
        std::string bytes;
        convertBytes(scratch, gb18030, "GB18030", "UTF-16", bytes);
        return bytes;
    }

    ScratchDirectory scratch;
    fs::path in;
    fs::path out;
};

// The first input is listed twice: converted once, and both entries report it.
TEST_F(Run, ObserversSeeEveryEntryAndAllItsBytes)
{
    const fs::path twice = input("一.txt", std::string(1000, 'a'));
    const std::vector<fs::path> inputs = {twice, input("二.txt", std::string(3000, 'b')),
                                          in / u8path("缺.txt"), twice};
    std::mutex mutex;
    std::map<std::size_t, int> started, finished;
    std::map<std::size_t, std::pair<std::uint64_t, std::uint64_t>> lastBytes;
    RunOptions o = options(3);
    o.tuning.chunkSize = 256;
    o.onFileStarted = [&](std::size_t i) {
        std::lock_guard lock(mutex);
        ++started[i];
    };
    o.onFileFinished = [&](std::size_t i, const FileResult &) {
        std::lock_guard lock(mutex);
        ++finished[i];
    };
    o.onBytes = [&](std::size_t i, std::uint64_t done, std::uint64_t total) {
        std::lock_guard lock(mutex);
        EXPECT_GT(done, lastBytes[i].first);
        lastBytes[i] = {done, total};
    };
    const auto results = convertRun(runInputs(inputs), o);
    EXPECT_EQ(started, (std::map<std::size_t, int>{{0, 1}, {1, 1}, {2, 1}}));
    EXPECT_EQ(finished, (std::map<std::size_t, int>{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
    using Progress = std::pair<std::uint64_t, std::uint64_t>;
    EXPECT_EQ(lastBytes, (std::map<std::size_t, Progress>{{0, {1000, 1000}}, {1, {3000, 3000}}}));
    EXPECT_EQ(results[3].outcome, Converted);
    EXPECT_EQ(results[3].sameAs, 0u);
    EXPECT_EQ(results[0].sameAs, kNoEntry);
}

TEST_F(Run, SeveralWorkersGiveTheSameResultsAndBytesAsOne)
{
    std::vector<fs::path> inputs;
    for (int i = 0; i < 6; ++i)
        inputs.push_back(
            input("文件" + std::to_string(i) + ".txt",
                  std::string(static_cast<std::size_t>(i) * 5000, 'a') + "\xD6\xD0\r\n"));
    inputs.push_back(input("别处/文件2.txt", "another \xCE\xC4\n"));
    inputs.push_back(inputs[0]);
    inputs.push_back(input("坏.txt", "line\nline\n\x81\x30"));
    inputs.push_back(in / u8path("缺失.txt"));
    inputs.push_back(input("别处/新.txt", "yet another\n"));
    inputs.push_back(inputs[3]);

    const fs::path serialOut = scratch.subdirectory("一个");
    const fs::path parallelOut = scratch.subdirectory("多个");
    RunOptions serial = options(1, serialOut);
    RunOptions parallel = options(4, parallelOut);
    serial.tuning.chunkSize = parallel.tuning.chunkSize = 1000;
    const auto serialResults = convertRun(runInputs(inputs), serial);
    const auto parallelResults = convertRun(runInputs(inputs), parallel);

    ASSERT_EQ(parallelResults.size(), serialResults.size());
    const auto fields = [](const FileResult &r) {
        return std::tie(r.outcome, r.line, r.message, r.sameAs);
    };
    for (std::size_t i = 0; i < serialResults.size(); ++i)
        EXPECT_EQ(fields(parallelResults[i]), fields(serialResults[i])) << i;
    EXPECT_EQ(outcomes(serialResults),
              (std::vector<Outcome>{Converted, Converted, Converted, Converted, Converted,
                                    Converted, SharedOutput, Converted, InvalidSource, CannotRead,
                                    Converted, Converted}));
    EXPECT_EQ(serialResults[6].sameAs, 2u);
    EXPECT_EQ(serialResults[7].sameAs, 0u);
    EXPECT_EQ(serialResults[8].line, 3u);
    EXPECT_EQ(serialResults[11].sameAs, 3u);
    const auto names = namesIn(serialOut);
    ASSERT_EQ(namesIn(parallelOut), names);
    EXPECT_EQ(names.size(), 7u);
    EXPECT_EQ(readBytes(parallelOut / u8path("文件2.txt")),
              utf16Of(std::string(10000, 'a') + "\xD6\xD0\r\n"));
    for (const std::string &name : names)
        EXPECT_EQ(readBytes(parallelOut / name), readBytes(serialOut / name)) << name;
}

// Dropping a folder holding readme.txt and 附录/readme.txt, whole tree, with
// that folder as the output directory: the top file is converted from its own
// text, and the other is refused rather than written over it.
TEST_F(Run, NestedSameNameIntoItsOwnFolderKeepsEveryText)
{
    const fs::path top = input("readme.txt", "top " + kGbkText);
    const fs::path nested = input("附录/readme.txt", "nested " + kGbkText);
    RunOptions o = runOptions("GB18030", "UTF-8", in, 2);
    const auto found = findFiles(in, {-1, {"txt"}});
    ASSERT_EQ(found, (std::vector<fs::path>{top, nested}));
    const auto results = convertRun(runInputs(found), o);
    EXPECT_EQ(outcomes(results), (std::vector<Outcome>{Converted, SharedOutput}));
    EXPECT_EQ(results[1].sameAs, 0u);
    EXPECT_EQ(readBytes(top), "top " + kUtf8Text);
    EXPECT_EQ(readBytes(nested), "nested " + kGbkText);

    // Listed the other way round (added one by one), the nested file would
    // still land on the top one: it is the one refused, whatever the order.
    writeBytes(top, "top " + kGbkText);
    const auto reversed = convertRun(runInputs({nested, top}), o);
    EXPECT_EQ(outcomes(reversed), (std::vector<Outcome>{SharedOutput, Converted}));
    EXPECT_EQ(reversed[0].sameAs, 1u);
    EXPECT_EQ(readBytes(top), "top " + kUtf8Text);
    EXPECT_EQ(readBytes(nested), "nested " + kGbkText);
}

// The same folder added twice and converted in place: each file converted once.
class SameFolderTwice : public testing::TestWithParam<OutputRule>
{
protected:
    ScratchDirectory scratch;
};

TEST_P(SameFolderTwice, ConvertsEachFileOnce)
{
    const fs::path folder = scratch.subdirectory("字幕");
    makeTree(folder, {"甲.txt", "乙/丙.txt"});
    writeBytes(folder / u8path("甲.txt"), kGbkText);
    writeBytes(folder / u8path("乙/丙.txt"), "\r\n" + kGbkText);
    std::vector<fs::path> list = findFiles(folder, {-1, {"txt"}});
    const std::vector<fs::path> again =
        findFiles(fs::path(folder) += u8path("/../字幕/"), {-1, {"txt"}});
    list.insert(list.end(), again.begin(), again.end());
    RunOptions o = runOptions("GBK", "UTF-8", folder, 2);
    o.outputRule = GetParam();
    std::vector<RunInput> inputs;
    for (const fs::path &path : list)
        inputs.push_back({path, folder});

    const auto results = convertRun(inputs, o);

    ASSERT_EQ(results.size(), 4u);
    for (std::size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i].outcome, Converted) << i;
    EXPECT_EQ(results[2].sameAs, 0u);
    EXPECT_EQ(results[3].sameAs, 1u);
    EXPECT_EQ(readBytes(folder / u8path("甲.txt")), kUtf8Text);
    EXPECT_EQ(readBytes(folder / u8path("乙/丙.txt")), "\r\n" + kUtf8Text);
}

INSTANTIATE_TEST_SUITE_P(InPlaceRules, SameFolderTwice,
                         testing::Values(OutputRule::InPlace, OutputRule::KeepTree));

// A file listed with a symbolic link to it and a hard link of it, the file
// first, on one worker: each name gets its own output, and in place the link
// is read before the file it leads to is replaced.
class ThreeNames : public testing::TestWithParam<OutputRule>
{
protected:
    ScratchDirectory scratch;
};

TEST_P(ThreeNames, EachIsConvertedToItsOwnOutput)
{
    const bool inPlace = GetParam() == OutputRule::InPlace;
    const fs::path folder = scratch.subdirectory("三个 名字");
    const fs::path out = inPlace ? folder : scratch.subdirectory("输出");
    writeBytes(folder / u8path("真.txt"), kGbkText);
    if (!makeSymbolicLink(u8path("真.txt"), folder / u8path("软.txt")))
        GTEST_SKIP() << kNoSymbolicLinks;
    fs::create_hard_link(folder / u8path("真.txt"), folder / u8path("硬.txt"));
    RunOptions o = runOptions("GBK", "UTF-8", out, 1);
    o.outputRule = GetParam();

    const auto results = convertRun(runInputs({folder / u8path("真.txt"), folder / u8path("软.txt"),
                                               folder / u8path("硬.txt")}),
                                    o);

    for (const FileResult &result : results) {
        EXPECT_EQ(result.outcome, Converted);
        EXPECT_EQ(result.sameAs, kNoEntry);
    }
    for (const char *name : {"真.txt", "软.txt", "硬.txt"})
        EXPECT_EQ(readBytes(out / name), kUtf8Text) << name;
    EXPECT_EQ(fs::is_symlink(folder / u8path("软.txt")), !inPlace);
    EXPECT_EQ(readBytes(folder / u8path("真.txt")), inPlace ? kUtf8Text : kGbkText);
}

INSTANTIATE_TEST_SUITE_P(OutputRules, ThreeNames,
                         testing::Values(OutputRule::IntoDirectory, OutputRule::InPlace));

TEST_F(Run, KeepTreeMakesMissingFoldersOrSaysWhyNot)
{
    const fs::path file = input("子/a.txt", "a");
    writeBytes(out / u8path("占"), "a file where a folder should go");
    RunOptions o = options();
    o.outputRule = OutputRule::KeepTree;
    EXPECT_EQ(convertRun({{file, in}}, o).at(0).outcome, Converted);
    EXPECT_EQ(readBytes(out / u8path("子/a.txt")), utf16Of("a"));

    o.outputDirectory = out / u8path("占") / u8path("下");
    const FileResult blocked = convertRun({{file, in}}, o).at(0);
    EXPECT_EQ(blocked.outcome, CannotWrite);
    EXPECT_FALSE(blocked.message.empty());
    EXPECT_EQ(readBytes(out / u8path("占")), "a file where a folder should go");
}

TEST_F(Run, CancelMidFileAbandonsItAndNamesTheRest)
{
    const fs::path first = input("第一.txt", std::string(100, 'a'));
    const fs::path second = input("第二.txt", "b");
    writeBytes(out / u8path("第一.txt"), "old output");
    std::atomic<bool> cancel{false};
    RunOptions o = options(1);
    o.tuning.chunkSize = 1;
    o.cancel = &cancel;
    std::map<std::size_t, Outcome> finished;
    std::vector<std::size_t> started;
    o.onFileStarted = [&](std::size_t i) { started.push_back(i); };
    o.onBytes = [&](std::size_t, std::uint64_t, std::uint64_t) { cancel = true; };
    o.onFileFinished = [&](std::size_t i, const FileResult &result) {
        finished[i] = result.outcome;
    };
    const auto results = convertRun(runInputs({first, second, first}), o);
    EXPECT_EQ(outcomes(results), (std::vector<Outcome>{Cancelled, Cancelled, Cancelled}));
    EXPECT_EQ(results[2].sameAs, 0u);
    // The second file is never started once the run is cancelled.
    EXPECT_EQ(started, std::vector<std::size_t>{0});
    EXPECT_EQ(finished,
              (std::map<std::size_t, Outcome>{{0, Cancelled}, {1, Cancelled}, {2, Cancelled}}));
    EXPECT_EQ(readBytes(out / u8path("第一.txt")), "old output");
    EXPECT_EQ(readBytes(first), std::string(100, 'a'));
    EXPECT_EQ(namesIn(out), std::vector<std::string>{"第一.txt"});
}

TEST_F(Run, CancelledSingleFileLeavesNoTemporaryFile)
{
    const fs::path source = input("单.txt", std::string(50, 'z'));
    std::atomic<bool> cancel{false};
    ConvertOptions o = optionsFor("UTF-8", "UTF-32", 3);
    o.cancel = &cancel;
    int calls = 0;
    o.onBytes = [&](std::uint64_t, std::uint64_t) {
        if (++calls == 4)
            cancel = true;
    };
    EXPECT_EQ(convertFile(source, out / u8path("单.txt"), o).outcome, Cancelled);
    EXPECT_EQ(calls, 4);
    EXPECT_TRUE(namesIn(out).empty());
}

// A cgroup file system written by the test: the process's cgroup list, and
// the files below the root, by relative path.
struct CgroupCase
{
    std::string label;
    std::string selfList;
    std::map<std::string, std::string> files;
    unsigned quota; // 0: no cap
};

using CgroupQuota = ScratchTest<CgroupCase>;

TEST_P(CgroupQuota, IsReadFromCpuMaxOrTheV1Files)
{
    const CgroupCase &c = GetParam();
    const CgroupPlaces places{.selfList = scratch.path() / u8path("自己的 cgroup"),
                              .root = scratch.path() / u8path("控制 组")};
    writeBytes(places.selfList, c.selfList);
    for (const auto &[relative, bytes] : c.files) {
        fs::create_directories((places.root / u8path(relative)).parent_path());
        writeBytes(places.root / u8path(relative), bytes);
    }
    EXPECT_EQ(cgroupCpuQuota(places), c.quota);
}

const std::string kOwnGroup = "0::/用户.slice/作业 1\n";
const std::string kOwnCpuMax = "用户.slice/作业 1/cpu.max";
const std::string kV1Quota = "cpu/cpu.cfs_quota_us";
const std::string kV1Period = "cpu/cpu.cfs_period_us";

INSTANTIATE_TEST_SUITE_P(
    Files, CgroupQuota,
    testing::Values(
        CgroupCase{"two_cpus", kOwnGroup, {{kOwnCpuMax, "200000 100000\n"}}, 2},
        CgroupCase{"a_part_rounds_up", kOwnGroup, {{kOwnCpuMax, "150000 100000\n"}}, 2},
        CgroupCase{"less_than_one", kOwnGroup, {{kOwnCpuMax, "20000 100000\n"}}, 1},
        CgroupCase{"another_period", kOwnGroup, {{kOwnCpuMax, "300000 50000\n"}}, 6},
        CgroupCase{"max_is_no_cap", kOwnGroup, {{kOwnCpuMax, "max 100000\n"}}, 0},
        CgroupCase{"the_root_group", "0::/\n", {{"cpu.max", "400000 100000\n"}}, 4},
        CgroupCase{"v1_lines_passed_over",
                   "12:cpu,cpuacct:/别处\n" + kOwnGroup,
                   {{kOwnCpuMax, "200000 100000\n"}, {"别处/cpu.max", "900000 100000\n"}},
                   2},
        CgroupCase{"no_own_line_reads_the_root", "", {{"cpu.max", "300000 100000\n"}}, 3},
        CgroupCase{"not_a_number", kOwnGroup, {{kOwnCpuMax, "很多 100000\n"}}, 0},
        CgroupCase{"no_period", kOwnGroup, {{kOwnCpuMax, "200000\n"}}, 0},
        CgroupCase{"zero_period", kOwnGroup, {{kOwnCpuMax, "200000 0\n"}}, 0},
        CgroupCase{"empty", kOwnGroup, {{kOwnCpuMax, ""}}, 0},
        CgroupCase{"v1", "", {{kV1Quota, "300000\n"}, {kV1Period, "100000\n"}}, 3},
        CgroupCase{"v1_minus_one_is_no_cap", "", {{kV1Quota, "-1\n"}, {kV1Period, "100000\n"}}, 0},
        CgroupCase{"v1_after_a_v2_max",
                   kOwnGroup,
                   {{kOwnCpuMax, "max 100000\n"}, {kV1Quota, "100000\n"}, {kV1Period, "100000\n"}},
                   1},
        CgroupCase{"v1_without_a_period", "", {{kV1Quota, "300000\n"}}, 0},
        CgroupCase{"nothing", "", {}, 0}),
    byLabel);

} // namespace
} // namespace velloran::test
