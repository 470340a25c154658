// SPDX-License-Identifier: GPL-3.0-or-later
// Run plans: the same place however spelled, outputs that collide, inputs and
// outputs that overlap, names of one file (links), and where each output rule
// writes. Planning writes nothing.
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace velloran::test {
namespace {

using Action = PlannedEntry::Action;

struct Expected
{
    Action action;
    std::size_t sameAs = kNoEntry;
    std::string output = {}; // checked when given; relative to the tree
    std::size_t after = kNoEntry;
};

struct PlanCase
{
    std::string label;
    OutputRule rule;
    std::string outputDirectory;  // relative to the tree
    std::vector<RunInput> inputs; // relative to the tree; "@" stands for the tree
    std::vector<Expected> expected;
};

const Expected kConvert{Action::Convert};
Expected repeatOf(std::size_t first)
{
    return {Action::Repeat, first};
}
Expected sharedWith(std::size_t first)
{
    return {Action::SharedOutput, first};
}
Expected writes(std::string output)
{
    return {Action::Convert, kNoEntry, std::move(output)};
}
Expected convertedAfter(std::size_t first)
{
    return {Action::Convert, kNoEntry, {}, first};
}

// Runs each case inside the tree, so that relative paths start there.
class Plan : public ScratchTest<PlanCase>
{
protected:
    void SetUp() override
    {
        root = scratch.path();
        makeTree(root, {"甲/文件.txt", "甲/其他.txt", "乙/文件.txt", "乙/甲/文件.txt", "出/", "空/",
                        "丙/"});
        fs::create_directory_symlink(root / u8path("甲"), root / u8path("链接"));
        fs::create_symlink("文件.txt", root / u8path("甲/软链.txt"));
        fs::create_symlink("软链.txt", root / u8path("甲/链中链.txt"));
        fs::create_symlink("../空/文件.txt", root / u8path("甲/断链.txt"));
        fs::create_hard_link(root / u8path("甲/文件.txt"), root / u8path("甲/硬链.txt"));
        fs::create_hard_link(root / u8path("甲/文件.txt"), root / u8path("丙/文件.txt"));
        previous = fs::current_path();
        fs::current_path(root);
    }
    void TearDown() override { fs::current_path(previous); }

    fs::path root;
    fs::path previous;
};

std::string expanded(std::string path, const fs::path &root)
{
    if (path.starts_with('@'))
        path.replace(0, 1, root.native());
    return path;
}

TEST_P(Plan, DecidesEachEntryBeforeTouchingAnyFile)
{
    const PlanCase &c = GetParam();
    RunOptions options = runOptions("GB18030", "UTF-8", expanded(c.outputDirectory, root));
    options.outputRule = c.rule;
    std::vector<RunInput> inputs = c.inputs;
    for (RunInput &input : inputs)
        input = {expanded(input.path, root), expanded(input.base, root)};
    const auto before = snapshot(root);

    const RunPlan plan = planRun(inputs, options);

    EXPECT_EQ(snapshot(root), before);
    ASSERT_EQ(plan.entries.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        const PlannedEntry &entry = plan.entries[i];
        EXPECT_EQ(entry.action, c.expected[i].action) << i;
        EXPECT_EQ(entry.sameAs, c.expected[i].sameAs) << i;
        EXPECT_EQ(entry.after, c.expected[i].after) << i;
        EXPECT_EQ(entry.input, inputs[i].path) << i;
        if (!c.expected[i].output.empty()) {
            EXPECT_EQ(entry.output.lexically_normal(), fs::path(c.expected[i].output)) << i;
        }
    }
}

const auto kInto = OutputRule::IntoDirectory;
const auto kTree = OutputRule::KeepTree;
const auto kInPlace = OutputRule::InPlace;

INSTANTIATE_TEST_SUITE_P(
    SameFile, Plan,
    testing::Values(
        PlanCase{"listedTwice",
                 kInto,
                 "出",
                 {{"甲/文件.txt"}, {"甲/文件.txt"}},
                 {kConvert, repeatOf(0)}},
        PlanCase{"dotDot",
                 kInto,
                 "出",
                 {{"甲/文件.txt"}, {"乙/../甲/文件.txt"}},
                 {kConvert, repeatOf(0)}},
        PlanCase{
            "dot", kInto, "出", {{"甲/文件.txt"}, {"./甲/./文件.txt"}}, {kConvert, repeatOf(0)}},
        PlanCase{
            "absolute", kInto, "出", {{"@/甲/文件.txt"}, {"甲/文件.txt"}}, {kConvert, repeatOf(0)}},
        PlanCase{"directoryLink",
                 kInto,
                 "出",
                 {{"链接/文件.txt"}, {"甲/文件.txt"}},
                 {kConvert, repeatOf(0)}},
        PlanCase{"hardLinksOfOneNameIntoOneFolder",
                 kInto,
                 "出",
                 {{"甲/文件.txt"}, {"丙/文件.txt"}},
                 {kConvert, repeatOf(0)}},
        PlanCase{"missingFileSpelledTwice",
                 kInto,
                 "出",
                 {{"甲/缺.txt"}, {"乙/../甲/缺.txt"}},
                 {kConvert, repeatOf(0)}},
        PlanCase{"repeatOfARefusedEntry",
                 kInto,
                 "出",
                 {{"甲/文件.txt"}, {"乙/文件.txt"}, {"乙/./文件.txt"}},
                 {kConvert, sharedWith(0), repeatOf(1)}},
        PlanCase{"inPlaceSpelledThreeWays",
                 kInPlace,
                 "",
                 {{"甲/文件.txt"}, {"链接/文件.txt"}, {"./甲/./文件.txt"}},
                 {writes("甲/文件.txt"), repeatOf(0), repeatOf(0)}}),
    byLabel);

// Two names of one file are two places: each is converted to its own output.
// In place, a name a link leads to is replaced only once the link was read.
INSTANTIATE_TEST_SUITE_P(
    Links, Plan,
    testing::Values(PlanCase{"hardLinkIntoAFolder",
                             kInto,
                             "出",
                             {{"甲/文件.txt"}, {"甲/硬链.txt"}},
                             {writes("出/文件.txt"), writes("出/硬链.txt")}},
                    PlanCase{"linkIntoAFolder",
                             kInto,
                             "出",
                             {{"甲/文件.txt"}, {"甲/软链.txt"}},
                             {writes("出/文件.txt"), writes("出/软链.txt")}},
                    PlanCase{"hardLinkInPlace",
                             kInPlace,
                             "",
                             {{"甲/文件.txt"}, {"甲/硬链.txt"}},
                             {writes("甲/文件.txt"), writes("甲/硬链.txt")}},
                    PlanCase{"linkInPlace",
                             kInPlace,
                             "",
                             {{"甲/文件.txt"}, {"甲/软链.txt"}},
                             {convertedAfter(1), writes("甲/软链.txt")}},
                    PlanCase{"linksInPlace",
                             kInPlace,
                             "",
                             {{"甲/文件.txt"}, {"甲/硬链.txt"}, {"甲/软链.txt"}, {"甲/链中链.txt"}},
                             {convertedAfter(2), kConvert, convertedAfter(3), kConvert}},
                    PlanCase{"linkIntoItsOwnFolder",
                             kInto,
                             "甲",
                             {{"甲/软链.txt"}, {"甲/文件.txt"}},
                             {writes("甲/软链.txt"), convertedAfter(0)}},
                    PlanCase{"oneNameIntoTheTreeAndInPlace",
                             kTree,
                             ".",
                             {{"甲/文件.txt", "甲"}, {"甲/文件.txt", "."}},
                             {writes("文件.txt"), convertedAfter(0)}}),
    byLabel);

INSTANTIATE_TEST_SUITE_P(
    SharedOutput, Plan,
    testing::Values(PlanCase{"firstWins",
                             kInto,
                             "出",
                             {{"甲/文件.txt"}, {"乙/文件.txt"}},
                             {writes("出/文件.txt"), sharedWith(0)}},
                    PlanCase{"firstWinsReversed",
                             kInto,
                             "出",
                             {{"乙/文件.txt"}, {"甲/文件.txt"}},
                             {writes("出/文件.txt"), sharedWith(0)}},
                    PlanCase{
                        "otherFileBetween",
                        kInto,
                        "出",
                        {{"甲/其他.txt"}, {"乙/甲/文件.txt"}, {"甲/文件.txt"}, {"乙/文件.txt"}},
                        {kConvert, kConvert, sharedWith(1), sharedWith(1)}},
                    PlanCase{"outputDirectorySpelledOtherwise",
                             kInto,
                             "空/../出/",
                             {{"甲/文件.txt"}, {"乙/文件.txt"}},
                             {writes("出/文件.txt"), sharedWith(0)}},
                    PlanCase{"newOutputDirectory",
                             kInto,
                             "新/深",
                             {{"甲/文件.txt"}, {"乙/文件.txt"}},
                             {writes("新/深/文件.txt"), sharedWith(0)}},
                    PlanCase{"intoTheInputsOwnDirectory",
                             kInto,
                             "甲",
                             {{"甲/文件.txt"}, {"乙/文件.txt"}},
                             {writes("甲/文件.txt"), sharedWith(0)}},
                    PlanCase{"inputIsAnEarlierOutput",
                             kInto,
                             "乙",
                             {{"甲/文件.txt"}, {"乙/文件.txt"}},
                             {sharedWith(1), writes("乙/文件.txt")}},
                    PlanCase{"inputIsAnEarlierOutputThroughALink",
                             kInto,
                             "链接",
                             {{"乙/文件.txt"}, {"甲/文件.txt"}},
                             {sharedWith(1), writes("链接/文件.txt")}},
                    PlanCase{"outputIsAnEarlierInput",
                             kTree,
                             ".",
                             {{"甲/文件.txt", "甲"}, {"乙/甲/文件.txt", "乙"}},
                             {writes("文件.txt"), sharedWith(0)}},
                    PlanCase{"outputIsAnEarlierInputReversed",
                             kTree,
                             ".",
                             {{"乙/甲/文件.txt", "乙"}, {"甲/文件.txt", "甲"}},
                             {sharedWith(1), writes("文件.txt")}},
                    PlanCase{"outputIsWhereALinkLeads",
                             kInto,
                             "甲",
                             {{"甲/软链.txt"}, {"乙/文件.txt"}},
                             {kConvert, sharedWith(0)}},
                    PlanCase{"outputIsWhereABrokenLinkLeads",
                             kInto,
                             "空",
                             {{"甲/断链.txt"}, {"甲/文件.txt"}},
                             {kConvert, sharedWith(0)}}),
    byLabel);

INSTANTIATE_TEST_SUITE_P(
    OutputRules, Plan,
    testing::Values(
        PlanCase{"keepTreeIntoANewFolder",
                 kTree,
                 "新",
                 {{"甲/文件.txt", "."}, {"乙/文件.txt", "."}, {"乙/甲/文件.txt", "@"}},
                 {writes("新/甲/文件.txt"), writes("新/乙/文件.txt"), writes("新/乙/甲/文件.txt")}},
        PlanCase{"keepTreeInPlace",
                 kTree,
                 ".",
                 {{"甲/文件.txt", "."}, {"乙/甲/文件.txt", "乙/"}, {"乙/文件.txt", "@"}},
                 {writes("甲/文件.txt"), sharedWith(0), writes("乙/文件.txt")}},
        PlanCase{
            "keepTreeWithoutBase", kTree, "出", {{"乙/甲/文件.txt", ""}}, {writes("出/文件.txt")}},
        PlanCase{"keepTreeOutsideItsBase",
                 kTree,
                 "出",
                 {{"甲/../乙/文件.txt", "甲"}},
                 {writes("出/文件.txt")}},
        PlanCase{"inPlace",
                 kInPlace,
                 "",
                 {{"甲/文件.txt"}, {"乙/文件.txt"}, {"甲/缺.txt"}},
                 {writes("甲/文件.txt"), writes("乙/文件.txt"), writes("甲/缺.txt")}}),
    byLabel);

// Planning looks files up in batches of consecutive entries on several
// threads: a file listed again batches later, spelled otherwise, is still the
// same file, and so is its output.
TEST(PlanManyFolders, RepeatsAndSharedOutputsAcrossLookUpBatches)
{
    ScratchDirectory scratch;
    constexpr std::size_t kFolders = 700;
    std::vector<RunInput> inputs;
    for (std::size_t i = 0; i < kFolders; ++i) {
        const fs::path folder = scratch.path() / ("目录" + std::to_string(i));
        makeTree(folder, {"文件.txt"});
        inputs.push_back({folder / u8path("文件.txt")});
    }
    for (std::size_t i = 0; i < kFolders; ++i)
        inputs.push_back(
            {scratch.path() / ("目录" + std::to_string(i)) / "." / u8path("文件.txt")});
    RunOptions options = runOptions("GB18030", "UTF-8", scratch.path() / u8path("新"));
    options.workers = 2;

    const RunPlan plan = planRun(inputs, options);

    ASSERT_EQ(plan.entries.size(), 2 * kFolders);
    EXPECT_EQ(plan.entries[0].action, Action::Convert);
    for (std::size_t i = 1; i < kFolders; ++i) {
        EXPECT_EQ(plan.entries[i].action, Action::SharedOutput) << i;
        EXPECT_EQ(plan.entries[i].sameAs, 0u) << i;
    }
    for (std::size_t i = kFolders; i < 2 * kFolders; ++i) {
        EXPECT_EQ(plan.entries[i].action, Action::Repeat) << i;
        EXPECT_EQ(plan.entries[i].sameAs, i - kFolders) << i;
    }
}

} // namespace
} // namespace velloran::test
