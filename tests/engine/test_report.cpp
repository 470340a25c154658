// SPDX-License-Identifier: GPL-3.0-or-later
// The report of a run: what it counts, which section each entry goes into,
// the order of the sections and of their lines, and the entries they link to.
#include "test_support.h"

#include <gtest/gtest.h>

namespace velloran::test {
namespace {

using enum Outcome;

// Results as executeRun() gives them.
FileResult is(Outcome outcome)
{
    FileResult result;
    result.outcome = outcome;
    return result;
}
FileResult looksLike(const std::string &encoding)
{
    FileResult result = is(Converted);
    result.likely = encoding;
    return result;
}
FileResult refusedAsLike(const std::string &encoding)
{
    FileResult result = is(LooksLikeOther);
    result.likely = encoding;
    return result;
}
FileResult sharedWith(std::size_t entry)
{
    FileResult result = is(SharedOutput);
    result.sameAs = entry;
    return result;
}
FileResult invalidWithHint()
{
    FileResult result = is(InvalidSource);
    result.line = 3;
    result.likely = "UTF-8";
    return result;
}
// An entry that repeats entry `first`: it carries that entry's result.
FileResult repeatOf(FileResult result, std::size_t first)
{
    result.sameAs = first;
    return result;
}

const FileResult kOk = is(Converted);
const FileResult kInvalidWithHint = invalidWithHint();

std::string countsOf(const RunReport &report)
{
    const RunCounts &counts = report.counts;
    return std::to_string(counts.entries) + " entries: " + std::to_string(counts.converted) +
           " converted, " +
           (counts.unchanged ? std::to_string(counts.unchanged) + " unchanged, " : "") +
           std::to_string(counts.failed()) + " failed, " + std::to_string(counts.cancelled) +
           " cancelled";
}

// "Kind[ encoding]: entry entry...; ...", an entry with another in its way as "2>0".
std::string sectionsOf(const RunReport &report)
{
    static const char *const kinds[] = {
        "CannotRead",  "CannotWrite",    "InvalidSource", "Unrepresentable", "SharedOutput",
        "AlreadyUtf8", "LooksLikeOther", "Undecided",     "LooksLike",       "Cancelled"};
    std::string text;
    for (const ReportSection &section : report.sections) {
        text += std::string(text.empty() ? "" : "; ") + kinds[int(section.kind)];
        text += (section.encoding.empty() ? "" : " " + section.encoding) + ":";
        for (const ReportLine &line : section.lines) {
            text += " " + std::to_string(line.entry);
            if (line.inTheWay != kNoEntry)
                text += ">" + std::to_string(line.inTheWay);
        }
    }
    return text;
}

struct ReportCase
{
    std::string label;
    std::vector<FileResult> results; // one per entry, in list order
    std::string counts;
    std::string sections;
};

class Report : public testing::TestWithParam<ReportCase>
{
};

TEST_P(Report, CountsAndSortsTheEntries)
{
    const RunReport report = makeRunReport(GetParam().results);
    EXPECT_EQ(countsOf(report), GetParam().counts);
    EXPECT_EQ(sectionsOf(report), GetParam().sections);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Report,
    testing::Values(
        ReportCase{"nothing", {}, "0 entries: 0 converted, 0 failed, 0 cancelled", ""},
        ReportCase{"converted", {kOk, kOk}, "2 entries: 2 converted, 0 failed, 0 cancelled", ""},
        // Left as it is: no failure, and in no section.
        ReportCase{"unchanged",
                   {kOk, is(Unchanged), is(AlreadyUtf8), repeatOf(is(Unchanged), 1)},
                   "4 entries: 1 converted, 2 unchanged, 1 failed, 0 cancelled",
                   "AlreadyUtf8: 2"},
        // One entry of each kind, listed against the sections' order.
        ReportCase{"sectionsInTheirOrder",
                   {kOk, is(Cancelled), looksLike("Big5"), is(Undecided), refusedAsLike("Big5"),
                    is(AlreadyUtf8), sharedWith(0), is(Unrepresentable), is(InvalidSource),
                    is(CannotWrite), is(CannotRead)},
                   "11 entries: 2 converted, 8 failed, 1 cancelled",
                   "CannotRead: 10; CannotWrite: 9; InvalidSource: 8; Unrepresentable: 7; "
                   "SharedOutput: 6>0; AlreadyUtf8: 5; LooksLikeOther Big5: 4; Undecided: 3; "
                   "LooksLike Big5: 2; Cancelled: 1"},
        // Refused in place: failed, one section per encoding.
        ReportCase{"refusedByEncoding",
                   {refusedAsLike("Big5"), refusedAsLike("GB18030"), refusedAsLike("Big5")},
                   "3 entries: 0 converted, 3 failed, 0 cancelled",
                   "LooksLikeOther Big5: 0 2; LooksLikeOther GB18030: 1"},
        ReportCase{"linesInListOrder",
                   {is(CannotRead), is(InvalidSource), is(CannotRead), is(InvalidSource), kOk},
                   "5 entries: 1 converted, 4 failed, 0 cancelled",
                   "CannotRead: 0 2; InvalidSource: 1 3"},
        ReportCase{"undecidedFails",
                   {is(Undecided), kOk},
                   "2 entries: 1 converted, 1 failed, 0 cancelled",
                   "Undecided: 0"},
        // Converted, so not failed; one section per encoding, in the order
        // the encodings first appear.
        ReportCase{
            "looksLikeByEncoding",
            {looksLike("GB18030"), kOk, looksLike("Big5"), looksLike("GB18030"), is(Cancelled)},
            "5 entries: 4 converted, 0 failed, 1 cancelled",
            "LooksLike GB18030: 0 3; LooksLike Big5: 2; Cancelled: 4"},
        // The hint of a file that does not decode is no conversion to check.
        ReportCase{"failureWithAHint",
                   {kInvalidWithHint},
                   "1 entries: 0 converted, 1 failed, 0 cancelled",
                   "InvalidSource: 0"},
        ReportCase{"sharedOutputs",
                   {kOk, kOk, sharedWith(0), sharedWith(1), sharedWith(0)},
                   "5 entries: 2 converted, 3 failed, 0 cancelled",
                   "SharedOutput: 2>0 3>1 4>0"},
        ReportCase{"sharedOutputWithoutAListedEntry",
                   {sharedWith(kNoEntry), sharedWith(2)},
                   "2 entries: 0 converted, 2 failed, 0 cancelled",
                   "SharedOutput: 0 1"},
        // A repeat is counted and listed like its first entry, and links to
        // nothing: only a refusal names an entry in its way.
        ReportCase{"repeats",
                   {kInvalidWithHint, repeatOf(kInvalidWithHint, 0), looksLike("Big5"),
                    repeatOf(looksLike("Big5"), 2), is(Cancelled), repeatOf(is(Cancelled), 4), kOk,
                    repeatOf(kOk, 6)},
                   "8 entries: 4 converted, 2 failed, 2 cancelled",
                   "InvalidSource: 0 1; LooksLike Big5: 2 3; Cancelled: 4 5"},
        // executeRun() gives the repeat of a refused entry that entry as the one in its way.
        ReportCase{"repeatOfARefusal",
                   {kOk, sharedWith(0), repeatOf(sharedWith(0), 1)},
                   "3 entries: 1 converted, 2 failed, 0 cancelled",
                   "SharedOutput: 1>0 2>1"}),
    byLabel);

TEST(ReportLines, CarryTheirEntrysResult)
{
    FileResult unrepresentable = is(Unrepresentable);
    unrepresentable.line = 7;
    unrepresentable.character = U'€';
    FileResult unreadable = is(CannotRead);
    unreadable.message = "Permission denied";
    FileResult undecided = is(Undecided);
    undecided.reason = "too short";
    const RunReport report =
        makeRunReport({unrepresentable, unreadable, kInvalidWithHint, undecided});
    ASSERT_EQ(sectionsOf(report),
              "CannotRead: 1; InvalidSource: 2; Unrepresentable: 0; Undecided: 3");
    EXPECT_EQ(report.sections[0].lines[0].result.message, "Permission denied");
    EXPECT_EQ(report.sections[1].lines[0].result.line, 3u);
    EXPECT_EQ(report.sections[1].lines[0].result.likely, "UTF-8");
    EXPECT_EQ(report.sections[2].lines[0].result.line, 7u);
    EXPECT_EQ(report.sections[2].lines[0].result.character, U'€');
    EXPECT_EQ(report.sections[3].lines[0].result.reason, "too short");
}

// The report trusts executeRun() to give a repeat its first entry's result.
TEST(ReportOfARun, ListsARepeatedFileWithItsFirstEntrysFailure)
{
    ScratchDirectory scratch;
    const fs::path bad = scratch.path() / u8path("坏.txt");
    writeBytes(bad, "line\nline\n\x81\x30");
    const auto results = convertRun(runInputs({bad, bad}),
                                    runOptions("GB18030", "UTF-8", scratch.subdirectory("出")));
    const RunReport report = makeRunReport(results);
    EXPECT_EQ(countsOf(report), "2 entries: 0 converted, 2 failed, 0 cancelled");
    ASSERT_EQ(sectionsOf(report), "InvalidSource: 0 1");
    EXPECT_EQ(report.sections[0].lines[1].result.line, 3u);
}

} // namespace
} // namespace velloran::test
