// SPDX-License-Identifier: GPL-3.0-or-later
// Dry runs: everything a run does but writing. Each case runs one list dry,
// then for real, and wants the very same results, with the dry run leaving
// every file and folder as it was.
#include "test_detect_text.h"
#include "test_support.h"

#include <tuple>

namespace velloran::test {
namespace {

const std::string kGbkWord = "\xD6\xD0\xCE\xC4";      // 中文
const std::string kEmojiGb18030 = "\x95\x32\x82\x36"; // U+1F600, which GBK lacks

struct DryRunCase
{
    std::string label;
    std::string source;
    OutputRule rule;
    bool inPieces;                 // large files cut into tiny pieces on several threads
    std::vector<Outcome> outcomes; // of the real run
};

class DryRun : public ScratchTest<DryRunCase>
{
protected:
    fs::path file(const std::string &name, const std::string &bytes)
    {
        const fs::path path = in / name;
        fs::create_directories(path.parent_path());
        writeBytes(path, bytes);
        return path;
    }

    // A good file and one of short lines (the pieces' case), an invalid one,
    // UTF-8 with a character GBK lacks (already UTF-8 for a chosen GB18030),
    // one too short to detect, GB18030 with a character GBK lacks, a missing
    // one; then one whose output is the first one's (unless in place), and
    // the first one again.
    std::vector<RunInput> inputs()
    {
        const fs::path good = file("好.txt", encodedStart(simplified(), "GBK", 3000));
        return {
            {good, in},
            {file("短行.txt", repeated(kGbkWord + "\n", 300)), in},
            {file("坏.txt", "line\nline\n\x81\x30"), in},
            {file("表情.txt", "这一行很长，比十六个字节长得多。\n第二行 😀\n"), in},
            {file("短.txt", "\xD6\xD0"), in},
            {file("四字节.txt", kGbkWord + "\n" + kEmojiGb18030 + "\n"), in},
            {in / u8path("缺.txt"), in},
            {file("附录/好.txt", kGbkWord), {}},
            {good, in},
        };
    }

    const fs::path in = scratch.subdirectory("输入");
    const fs::path out = scratch.subdirectory("输出") / u8path("新") / u8path("树");
};

auto everything(const FileResult &r)
{
    return std::tie(r.outcome, r.line, r.character, r.encoding, r.likely, r.reason, r.sameAs,
                    r.message);
}

TEST_P(DryRun, GivesTheRunsResultsAndTouchesNothing)
{
    const DryRunCase &c = GetParam();
    const std::vector<RunInput> list = inputs();
    RunOptions o = runOptions(c.source, "GBK", out, 2);
    o.outputRule = c.rule;
    if (c.inPieces) {
        o.workers = 32;
        o.tuning.parallelFrom = 1;
        o.tuning.pieceSize = 16;
    }
    if (c.rule == OutputRule::IntoDirectory)
        fs::create_directories(out);

    o.dryRun = true;
    const auto before = snapshot(scratch.path());
    const std::vector<FileResult> dry = convertRun(list, o);
    EXPECT_EQ(snapshot(scratch.path()), before);

    o.dryRun = false;
    const std::vector<FileResult> real = convertRun(list, o);
    std::vector<Outcome> outcomes;
    for (const FileResult &result : real)
        outcomes.push_back(result.outcome);
    EXPECT_EQ(outcomes, c.outcomes);
    ASSERT_EQ(dry.size(), real.size());
    for (std::size_t i = 0; i < real.size(); ++i)
        EXPECT_EQ(everything(dry[i]), everything(real[i])) << i;
}

using enum Outcome;

const std::vector<Outcome> kChosenOutcomes = {Converted,   Converted,    InvalidSource,
                                              AlreadyUtf8, Converted,    Unrepresentable,
                                              CannotRead,  SharedOutput, Converted};
const std::vector<Outcome> kDetectedOutcomes = {Converted,       Converted,    Undecided,
                                                Unrepresentable, Undecided,    Undecided,
                                                CannotRead,      SharedOutput, Converted};
// In place, GBK text read as GB18030 and written as GBK comes out as it was.
const std::vector<Outcome> kDetectedInPlaceOutcomes = {Unchanged,       Unchanged, Undecided,
                                                       Unrepresentable, Undecided, Undecided,
                                                       CannotRead,      Undecided, Unchanged};

INSTANTIATE_TEST_SUITE_P(
    Cases, DryRun,
    testing::Values(
        DryRunCase{"chosen_into_directory", "GB18030", OutputRule::IntoDirectory, false,
                   kChosenOutcomes},
        DryRunCase{"chosen_in_pieces", "GB18030", OutputRule::IntoDirectory, true, kChosenOutcomes},
        DryRunCase{"detected_keep_tree", "detect", OutputRule::KeepTree, false, kDetectedOutcomes},
        DryRunCase{"detected_in_place_in_pieces", "detect", OutputRule::InPlace, true,
                   kDetectedInPlaceOutcomes}),
    byLabel);

// Writing is the one thing a dry run cannot foresee: into a folder that does
// not exist, it reports the conversion a run would make, and tries no write
// that would have told otherwise.
TEST(DryRunWrites, NothingSoItCannotForeseeAFailedWrite)
{
    ScratchDirectory scratch;
    const fs::path input = scratch.path() / u8path("甲.txt");
    writeBytes(input, kGbkWord);
    RunOptions o = runOptions("GBK", "UTF-8", scratch.path() / u8path("不存在"));
    o.dryRun = true;
    EXPECT_EQ(convertRun(runInputs({input}), o).at(0).outcome, Converted);
    o.dryRun = false;
    EXPECT_EQ(convertRun(runInputs({input}), o).at(0).outcome, CannotWrite);
    EXPECT_EQ(namesIn(scratch.path()), std::vector<std::string>{"甲.txt"});
}

} // namespace
} // namespace velloran::test
