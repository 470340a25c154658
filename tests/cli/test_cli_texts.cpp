// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of velloran-cli's reports: the summary, the lines of -v, file
// names on a terminal and in JSON, and characters that do not show.
#include "json_report.h"
#include "summary.h"
#include "text_bytes.h"
#include "verbose_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

velloran::FileResult result(velloran::Outcome outcome)
{
    velloran::FileResult result;
    result.outcome = outcome;
    return result;
}

// One entry of every kind, with the details each line shows: every heading
// and every kind of line. Which entry goes where is velloran/report.h's.
FinishedRun everyKindOfEntry()
{
    using velloran::Outcome;
    FinishedRun run;
    const char *names[] = {"取消.txt", "繁体.txt", "已是.txt", "同名/a.txt", "a.txt",     "坏.txt",
                           "表情.txt", "缺.txt",   "只读.txt", "短.txt",     "繁体2.txt", "好.txt"};
    for (const char *name : names)
        run.plan.entries.push_back({{}, name, std::string("out/") + name, velloran::kNoEntry});
    run.results = {result(Outcome::Cancelled),       result(Outcome::Converted),
                   result(Outcome::AlreadyUtf8),     result(Outcome::Converted),
                   result(Outcome::SharedOutput),    result(Outcome::InvalidSource),
                   result(Outcome::Unrepresentable), result(Outcome::CannotRead),
                   result(Outcome::CannotWrite),     result(Outcome::Undecided),
                   result(Outcome::Converted),       result(Outcome::Converted)};
    run.results[1].likely = "Big5";
    run.results[10].likely = "Big5";
    run.results[4].sameAs = 3;
    run.results[5].line = 3;
    run.results[5].likely = "UTF-8";
    run.results[6].line = 2;
    run.results[6].character = U'\u00A0';
    run.results[7].message = "No such file or directory";
    run.results[8].message = "Permission denied";
    run.results[9].reason = "too short";
    return run;
}

std::string summaryOf(const FinishedRun &run)
{
    return summaryText(run, velloran::makeRunReport(run.results));
}

TEST(Summary, TheWindowsSectionsInEnglish)
{
    EXPECT_EQ(summaryOf(everyKindOfEntry()),
              "Converted 4, failed 7, cancelled 1\n"
              "\nThese files cannot be read:\n缺.txt (No such file or directory)\n"
              "\nThese files cannot be written:\n只读.txt (Permission denied)\n"
              "\nThese files hold bytes that are not valid in the source encoding:\n"
              "坏.txt (line 3; maybe UTF-8)\n"
              "\nThese files hold characters that the target encoding cannot represent:\n"
              "表情.txt (line 2: U+00A0)\n"
              "\nThese files were not converted, since each would be written where another "
              "file in the list is read or written, and that one keeps the place:\na.txt (the "
              "place of 同名/a.txt)\n"
              "\nThese files look like UTF-8 already, and were not converted:\n已是.txt\n"
              "\nThe encoding of these files could not be detected, so they were not "
              "converted:\n短.txt (too short)\n"
              "\nThese files were converted, but look like Big5; please check:\n"
              "繁体.txt\n繁体2.txt\n"
              "\nThese files were not converted because the run was cancelled:\n取消.txt\n");
}

// A run of `outcomes`, one entry each, named 0.txt, 1.txt...
FinishedRun runOf(const std::vector<velloran::Outcome> &outcomes, bool dryRun = false)
{
    FinishedRun run;
    run.dryRun = dryRun;
    for (const velloran::Outcome outcome : outcomes) {
        const std::string name = std::to_string(run.results.size()) + ".txt";
        run.plan.entries.push_back({{}, name, "out/" + name, velloran::kNoEntry});
        run.results.push_back(result(outcome));
    }
    return run;
}

using CountsCase = std::tuple<std::vector<velloran::Outcome>, bool, std::string>;

class CountsLine : public testing::TestWithParam<CountsCase>
{
};

// The first line; a dry run speaks of what a run would do.
TEST_P(CountsLine, SaysWhatWasOrWouldBeDone)
{
    const auto &[outcomes, dryRun, line] = GetParam();
    const std::string summary = summaryOf(runOf(outcomes, dryRun));
    EXPECT_EQ(summary.substr(0, summary.find('\n', summary.find("onvert")) + 1), line);
}

using enum velloran::Outcome;

INSTANTIATE_TEST_SUITE_P(
    Cases, CountsLine,
    testing::Values(
        CountsCase{{Converted}, false, "Converted 1, failed 0\n"},
        CountsCase{{Converted, Unchanged, Unchanged, CannotRead},
                   false,
                   "Converted 1, unchanged 2, failed 1\n"},
        CountsCase{{Converted, Cancelled}, false, "Converted 1, failed 0, cancelled 1\n"},
        CountsCase{{Converted}, true, "Dry run: nothing was written.\nWould convert 1, fail 0\n"},
        CountsCase{{Converted, Unchanged, InvalidSource, Cancelled},
                   true,
                   "Dry run: nothing was written.\n"
                   "Would convert 1, leave 1 unchanged, fail 1; cancelled 1\n"}));

TEST(Summary, ADryRunWouldConvertTheLookAlikes)
{
    FinishedRun run = runOf({Converted}, true);
    run.results[0].likely = "Big5";
    EXPECT_NE(summaryOf(run).find("These files would be converted, but look like Big5"),
              std::string::npos);
}

// Of many cancelled files the first 20 are named; --json and -v have them all.
TEST(Summary, NamesTwentyCancelledFilesAndCountsTheRest)
{
    const std::string summary = summaryOf(runOf(std::vector<velloran::Outcome>(23, Cancelled)));
    EXPECT_NE(summary.find("\n19.txt\n... and 3 more (--json and -v list them all)\n"),
              std::string::npos)
        << summary;
    EXPECT_EQ(summary.find("20.txt"), std::string::npos);
    EXPECT_EQ(summaryOf(runOf(std::vector<velloran::Outcome>(20, Cancelled))).find("more"),
              std::string::npos);
}

// ---------------------------------------------------------------------------

using VerboseCase = std::pair<velloran::FileResult, std::string>; // result, its line

class Verbose : public testing::TestWithParam<VerboseCase>
{
};

TEST_P(Verbose, TellsOutcomeEncodingAndPaths)
{
    const FinishedRun run = runOf({Converted, Converted});
    EXPECT_EQ(verboseLine(run.plan, false, 1, GetParam().first), GetParam().second);
}

velloran::FileResult resultWith(velloran::Outcome outcome, std::string encoding,
                                std::string message = {})
{
    return {.outcome = outcome, .message = std::move(message), .encoding = std::move(encoding)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Verbose,
    testing::Values(
        VerboseCase{resultWith(Converted, "GB18030"), "converted (GB18030): 1.txt -> out/1.txt\n"},
        VerboseCase{resultWith(Unchanged, "UTF-8"), "unchanged (UTF-8): 1.txt -> out/1.txt\n"},
        VerboseCase{resultWith(CannotRead, "", "No such file or directory"),
                    "cannot read: 1.txt -> out/1.txt (No such file or directory)\n"},
        VerboseCase{{.outcome = SharedOutput, .sameAs = 0},
                    "shared output: 1.txt -> out/1.txt (the place of 0.txt)\n"}));

TEST(Verbose, ADryRunWouldConvert)
{
    const FinishedRun run = runOf({Converted});
    EXPECT_EQ(verboseLine(run.plan, true, 0, resultWith(Converted, "GBK")),
              "would convert (GBK): 0.txt -> out/0.txt\n");
}

// ---------------------------------------------------------------------------

using TerminalCase = std::pair<std::string, std::string>; // bytes, as shown

class TerminalName : public testing::TestWithParam<TerminalCase>
{
};

TEST_P(TerminalName, CannotDriveTheTerminal)
{
    EXPECT_EQ(terminalText(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Cases, TerminalName,
                         testing::Values(TerminalCase{"中文/文件.txt", "中文/文件.txt"},
                                         TerminalCase{"\xB2\xE2.txt", "\\xB2\\xE2.txt"}, // GBK 测
                                         TerminalCase{"x\x1B[31mRED\x1B[0m.txt",
                                                      "x\\x1B[31mRED\\x1B[0m.txt"},
                                         TerminalCase{"a\rb\nc\td\x7F", "a\\x0Db\\x0Ac\\x09d\\x7F"},
                                         TerminalCase{"\xC2\x9B"
                                                      "31m",
                                                      "\\xC2\\x9B"
                                                      "31m"},                      // C1 CSI
                                         TerminalCase{"\xC2\xA0 é", "\xC2\xA0 é"}, // not a control
                                         TerminalCase{"a\\x41", "a\\\\x41"},       // a backslash
                                         TerminalCase{"\xE4\xB8", "\\xE4\\xB8"}));

// ---------------------------------------------------------------------------

using Utf8Case = std::pair<std::string, bool>; // bytes, whether valid

class Utf8Check : public testing::TestWithParam<Utf8Case>
{
};

TEST_P(Utf8Check, AcceptsExactlyWellFormedUtf8)
{
    EXPECT_EQ(isValidUtf8(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8Check,
                         testing::Values(Utf8Case{"", true}, Utf8Case{"plain.txt", true},
                                         Utf8Case{"中文.txt", true},
                                         Utf8Case{"\xF0\x9F\x98\x80", true},
                                         Utf8Case{"\xD6\xD0\xCE\xC4.txt", false}, // GBK 中文
                                         Utf8Case{"\xC0\xAF", false},             // overlong /
                                         Utf8Case{"\xE0\x80\xAF", false},         // overlong /
                                         Utf8Case{"\xED\xA0\x80", false},         // surrogate
                                         Utf8Case{"\xF4\x90\x80\x80", false},     // > U+10FFFF
                                         Utf8Case{"\xE4\xB8", false},             // truncated
                                         Utf8Case{"\x80", false}, Utf8Case{"\xFF", false}));

using JsonCase = std::pair<std::string, std::string>; // bytes, JSON string

class JsonText : public testing::TestWithParam<JsonCase>
{
};

TEST_P(JsonText, EscapesAndReplacesInvalidBytes)
{
    EXPECT_EQ(jsonString(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonText,
    testing::Values(JsonCase{"", "\"\""}, JsonCase{"a\"b\\c", "\"a\\\"b\\\\c\""},
                    JsonCase{"\n\t\x01\x7F", "\"\\u000a\\u0009\\u0001\\u007f\""},
                    JsonCase{"中文/文件.txt", "\"中文/文件.txt\""},
                    JsonCase{"\xD6\xD0\xCE\xC4.txt", "\"\uFFFD\uFFFD\uFFFD\uFFFD.txt\""},
                    JsonCase{"a\xE4\xB8", "\"a\uFFFD\uFFFD\""}));

using CharacterCase = std::pair<char32_t, std::string>; // character, as shown

class CharacterShown : public testing::TestWithParam<CharacterCase>
{
};

TEST_P(CharacterShown, AsItselfOrAsItsCode)
{
    EXPECT_EQ(visibleCharacter(GetParam().first), GetParam().second);
}

// Which characters are invisible is the engine's rule, tested with the
// window's report; here only how the command shows either kind.
INSTANTIATE_TEST_SUITE_P(
    Cases, CharacterShown,
    testing::Values(CharacterCase{U'€', "\"€\""}, CharacterCase{U'\U0001F600', "\"\U0001F600\""},
                    CharacterCase{U'A', "\"A\""}, CharacterCase{U' ', "U+0020"},
                    CharacterCase{U'\t', "U+0009"}, CharacterCase{U'\U0010FFFF', "U+10FFFF"}));

} // namespace
