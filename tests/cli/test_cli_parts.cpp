// The pieces of velloran-cli that need no files: the command line, and the
// texts of its reports (escaping, file names that are not UTF-8, characters
// that do not show).
#include "command_line.h"
#include "json_report.h"
#include "manual.h"
#include "summary.h"
#include "version.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine parse(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "velloran-cli");
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return parseCommandLine(int(arguments.size()), argv.data());
}

// ---------------------------------------------------------------------------

using Args = std::vector<std::string>;

class RefusedCommandLine : public testing::TestWithParam<Args>
{
};

TEST_P(RefusedCommandLine, IsAUsageError)
{
    EXPECT_THROW(parse(GetParam()), UsageError);
}

// Each row breaks one rule of an otherwise sound command line.
INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommandLine,
    testing::Values(Args{}, Args{"-f", "GBK", "-o", "out", "文件.txt"},
                    Args{"-t", "UTF-8", "-o", "out", "文件.txt"},
                    Args{"-f", "NO-SUCH", "-t", "UTF-8", "-o", "o", "a"},
                    Args{"-f", "GBK", "-t", "NO-SUCH", "-o", "o", "a"},
                    Args{"-f", "GBK", "-t", "detect", "-o", "o", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "-o", "o", "--in-place", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "--keep-tree", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "--depth", "deep", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "--depth", "-2", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "--depth", "3x", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "-j", "-1", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "--frob", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "-x", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "a", "-o"},
                    Args{"-f", "GBK", "-t", "UTF-8", "-o", "", "a"}));

TEST(CommandLine, DefaultsAreTheWindowsPrompts)
{
    const CommandLine line = parse({"-f", "GBK", "-t", "UTF-8", "-o", "输出", "资料"});
    EXPECT_EQ(line.action, CommandLine::Action::Convert);
    EXPECT_EQ(line.depth, 0);
    EXPECT_EQ(line.suffixes, std::vector<std::string>{"txt"});
    EXPECT_EQ(line.workers, 0u);
    EXPECT_FALSE(line.inPlace || line.keepTree || line.dryRun || line.json || line.quiet);
    EXPECT_EQ(line.outputDirectory, "输出");
    EXPECT_EQ(line.paths, std::vector<std::filesystem::path>{"资料"});
}

TEST(CommandLine, EveryOption)
{
    const CommandLine line =
        parse({"资料", "-f", "detect", "--to=utf8", "-o", "输出", "--keep-tree", "-r", "-s", "srt",
               "--suffix=", "-j", "3", "--dry-run", "--json", "-q", "第二.srt"});
    EXPECT_EQ(line.from, "detect");
    EXPECT_EQ(line.to, "utf8"); // any name ICU resolves
    EXPECT_TRUE(line.keepTree && line.dryRun && line.json && line.quiet);
    EXPECT_EQ(line.depth, -1);
    EXPECT_EQ(line.suffixes, (std::vector<std::string>{"srt", ""}));
    EXPECT_EQ(line.workers, 3u);
    EXPECT_EQ(line.paths, (std::vector<std::filesystem::path>{"资料", "第二.srt"}));
}

TEST(CommandLine, DepthAfterRecursiveWins)
{
    EXPECT_EQ(parse({"-f", "GBK", "-t", "UTF-8", "--in-place", "-r", "--depth", "2", "a"}).depth,
              2);
    EXPECT_EQ(parse({"-f", "GBK", "-t", "UTF-8", "--in-place", "--depth", "2", "-r", "a"}).depth,
              -1);
}

TEST(Manual, HelpAndManualPageListEveryVisibleOption)
{
    const std::string help = helpText();
    const std::string manual = manualPage();
    for (const OptionInfo &info : optionTable()) {
        const std::string name = info.longName;
        std::string roffName = "\\-\\-";
        for (const char c : name)
            roffName += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_EQ(help.find("--" + name + "") != std::string::npos, info.help != nullptr) << name;
        EXPECT_EQ(manual.find(roffName) != std::string::npos, info.help != nullptr) << name;
    }
    EXPECT_NE(versionText().find(VELLORAN_VERSION), std::string::npos);
}

// ---------------------------------------------------------------------------

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
              "\nThese files would be written to the same place as an earlier file in the "
              "list, and were not converted:\na.txt (same as 同名/a.txt)\n"
              "\nThese files look like UTF-8 already, and were not converted:\n已是.txt\n"
              "\nThe encoding of these files could not be detected, so they were not "
              "converted:\n短.txt (too short)\n"
              "\nThese files were converted, but look like Big5; please check:\n"
              "繁体.txt\n繁体2.txt\n"
              "\nThese files were not converted because the run was cancelled:\n取消.txt\n");
}

TEST(Summary, AllConvertedIsOneLineAndADryRunSaysSo)
{
    FinishedRun run;
    run.plan.entries.push_back({{}, "好.txt", "out/好.txt", velloran::kNoEntry});
    run.results.push_back(result(velloran::Outcome::Converted));
    EXPECT_EQ(summaryOf(run), "Converted 1, failed 0\n");
    run.dryRun = true;
    EXPECT_EQ(summaryOf(run),
              "Dry run: nothing was written. A run would do this:\nConverted 1, failed 0\n");
}

TEST(ExitStatus, FollowsTheWorstOutcome)
{
    using Counts = velloran::RunCounts;
    EXPECT_EQ(exitStatus(Counts{.entries = 3, .converted = 1, .cancelled = 1}), 130);
    EXPECT_EQ(exitStatus(Counts{.entries = 3, .converted = 2, .cancelled = 0}), 1);
    EXPECT_EQ(exitStatus(Counts{.entries = 3, .converted = 3, .cancelled = 0}), 0);
    EXPECT_EQ(exitStatus(Counts{}), 0);
}

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
INSTANTIATE_TEST_SUITE_P(Cases, CharacterShown,
                         testing::Values(CharacterCase{U'€', "\"€\""},
                                         CharacterCase{U'\U0001F600', "\"\U0001F600\""},
                                         CharacterCase{U'A', "\"A\""},
                                         CharacterCase{U' ', "U+0020"},
                                         CharacterCase{U'\t', "U+0009"},
                                         CharacterCase{U'\U0010FFFF', "U+10FFFF"}));

} // namespace
