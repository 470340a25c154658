// Batches: order of results, inputs sharing an output name, repeated inputs,
// observers, cancellation, and the same outcome however many workers run.
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace velloran::test {
namespace {

class Batch : public testing::Test
{
protected:
    Batch() : in(scratch.subdirectory("输入")), out(scratch.subdirectory("输出")) {}

    fs::path input(const std::string &relative, const std::string &bytes)
    {
        const fs::path path = in / relative;
        fs::create_directories(path.parent_path());
        writeBytes(path, bytes);
        return path;
    }

    BatchOptions options(unsigned workers = 1, const fs::path &directory = {}) const
    {
        return batchOptions("GB18030", "UTF-16", directory.empty() ? out : directory, workers);
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

// The first file is large and converted in small chunks, so if the two ran at
// once the first would finish last and win.
TEST_F(Batch, SameNameFromDifferentDirectoriesLaterWins)
{
    const std::string large(256 * 1024, 'x');
    const std::vector<fs::path> inputs = {input("甲/同名.txt", large),
                                          input("乙/同名.txt", "second \xD6\xD0")};
    BatchOptions o = options(4);
    o.chunkSize = 512;
    const auto results = convertBatch(inputs, o);
    EXPECT_EQ(outcomes(results), (std::vector<Outcome>{Outcome::Converted, Outcome::Converted}));
    EXPECT_EQ(readBytes(out / "同名.txt"), utf16Of("second \xD6\xD0"));
}

// The first input is listed twice, and is converted twice.
TEST_F(Batch, ObserversSeeEveryFileAndAllItsBytes)
{
    const fs::path twice = input("一.txt", std::string(1000, 'a'));
    const std::vector<fs::path> inputs = {twice, input("二.txt", std::string(3000, 'b')),
                                          in / "缺.txt", twice};
    std::mutex mutex;
    std::map<std::size_t, int> started, finished;
    std::map<std::size_t, std::pair<std::uint64_t, std::uint64_t>> lastBytes;
    BatchOptions o = options(3);
    o.chunkSize = 256;
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
    convertBatch(inputs, o);
    EXPECT_EQ(started, (std::map<std::size_t, int>{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
    EXPECT_EQ(finished, started);
    using Progress = std::pair<std::uint64_t, std::uint64_t>;
    EXPECT_EQ(lastBytes[0], Progress(1000, 1000));
    EXPECT_EQ(lastBytes[1], Progress(3000, 3000));
    EXPECT_EQ(lastBytes[3], Progress(1000, 1000));
}

TEST_F(Batch, SeveralWorkersGiveTheSameResultsAndBytesAsOne)
{
    std::vector<fs::path> inputs;
    for (int i = 0; i < 6; ++i)
        inputs.push_back(
            input("文件" + std::to_string(i) + ".txt",
                  std::string(static_cast<std::size_t>(i) * 5000, 'a') + "\xD6\xD0\r\n"));
    inputs.push_back(input("别处/文件2.txt", "another \xCE\xC4\n"));
    inputs.push_back(inputs[0]);
    inputs.push_back(input("坏.txt", "line\nline\n\x81\x30"));
    inputs.push_back(in / "缺失.txt");
    inputs.push_back(input("别处/文件4.txt", "yet another\n"));
    inputs.push_back(inputs[3]);

    const fs::path serialOut = scratch.subdirectory("一个");
    const fs::path parallelOut = scratch.subdirectory("多个");
    BatchOptions serial = options(1, serialOut);
    BatchOptions parallel = options(4, parallelOut);
    serial.chunkSize = parallel.chunkSize = 1000;
    const auto serialResults = convertBatch(inputs, serial);
    const auto parallelResults = convertBatch(inputs, parallel);

    ASSERT_EQ(parallelResults.size(), serialResults.size());
    for (std::size_t i = 0; i < serialResults.size(); ++i) {
        EXPECT_EQ(parallelResults[i].outcome, serialResults[i].outcome) << i;
        EXPECT_EQ(parallelResults[i].line, serialResults[i].line) << i;
        EXPECT_EQ(parallelResults[i].message, serialResults[i].message) << i;
    }
    // Results in input order, and no output for the failed inputs.
    EXPECT_EQ(serialResults[8].outcome, Outcome::InvalidSource);
    EXPECT_EQ(serialResults[8].line, 3u);
    EXPECT_EQ(serialResults[9].outcome, Outcome::CannotRead);
    const auto names = namesIn(serialOut);
    ASSERT_EQ(namesIn(parallelOut), names);
    EXPECT_EQ(names.size(), 6u);
    EXPECT_EQ(readBytes(parallelOut / "文件2.txt"), utf16Of("another \xCE\xC4\n"));
    EXPECT_EQ(readBytes(parallelOut / "文件4.txt"), utf16Of("yet another\n"));
    for (const std::string &name : names)
        EXPECT_EQ(readBytes(parallelOut / name), readBytes(serialOut / name)) << name;
}

TEST_F(Batch, CancelMidFileAbandonsItAndTheRest)
{
    const fs::path first = input("第一.txt", std::string(100, 'a'));
    const fs::path second = input("第二.txt", "b");
    writeBytes(out / "第一.txt", "old output");
    std::atomic<bool> cancel{false};
    BatchOptions o = options(1);
    o.chunkSize = 1;
    o.cancel = &cancel;
    std::vector<FileResult> finished;
    o.onBytes = [&](std::size_t, std::uint64_t, std::uint64_t) { cancel = true; };
    o.onFileFinished = [&](std::size_t, const FileResult &result) { finished.push_back(result); };
    const auto results = convertBatch({first, second}, o);
    EXPECT_EQ(outcomes(results), (std::vector<Outcome>{Outcome::Cancelled, Outcome::Cancelled}));
    EXPECT_EQ(outcomes(finished), outcomes(results));
    EXPECT_EQ(readBytes(out / "第一.txt"), "old output");
    EXPECT_EQ(readBytes(first), std::string(100, 'a'));
    EXPECT_EQ(namesIn(out), std::vector<std::string>{"第一.txt"});
}

TEST_F(Batch, CancelBeforeStartTouchesNothing)
{
    std::atomic<bool> cancel{true};
    BatchOptions o = options(2);
    o.cancel = &cancel;
    bool started = false;
    o.onFileStarted = [&](std::size_t) { started = true; };
    const auto results = convertBatch({input("a.txt", "a"), input("b.txt", "b")}, o);
    EXPECT_EQ(outcomes(results), (std::vector<Outcome>{Outcome::Cancelled, Outcome::Cancelled}));
    EXPECT_FALSE(started);
    EXPECT_TRUE(namesIn(out).empty());
}

TEST_F(Batch, CancelledSingleFileLeavesNoTemporaryFile)
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
    EXPECT_EQ(convertFile(source, out / "单.txt", o).outcome, Outcome::Cancelled);
    EXPECT_EQ(calls, 4);
    EXPECT_TRUE(namesIn(out).empty());
}

} // namespace
} // namespace velloran::test
