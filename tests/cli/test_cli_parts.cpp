// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces of velloran-cli that need no files: the command line, the
// texts about the command, and its exit status (test_cli_texts.cpp has the
// texts of its reports).
#include "command_line.h"
#include "manual.h"
#include "run_report.h"
#include "version.h"

#include <gtest/gtest.h>

#include <csignal>
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
                    Args{"-f", "GBK", "-t", "UTF-8", "-o", "", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "--bom=maybe", "a"},
                    Args{"-f", "GBK", "-t", "GB18030", "--in-place", "--bom=yes", "a"},
                    Args{"-f", "GBK", "-t", "UTF-7", "--in-place", "--bom=yes", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "-s", "*.txt", "a"},
                    Args{"-f", "GBK", "-t", "UTF-8", "--in-place", "-s", "t?t", "a"},
                    Args{"--completion=tcsh"}));

using MessageCase = std::pair<Args, std::string>; // arguments, the message

class UsageMessage : public testing::TestWithParam<MessageCase>
{
};

TEST_P(UsageMessage, SaysWhatToDoInstead)
{
    try {
        parse(GetParam().first);
        ADD_FAILURE() << "accepted";
    } catch (const UsageError &error) {
        EXPECT_EQ(error.what(), GetParam().second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageMessage,
    testing::Values(
        MessageCase{{"-f", "GBK", "-t", "detect", "--in-place", "a"},
                    "detect is a source, not a target"},
        MessageCase{{"-f", "GBK", "-t", "UTF-8", "--in-place", "-s", "*.txt", "a"},
                    "-s takes a suffix, not a pattern: write -s txt instead of -s '*.txt'"},
        MessageCase{{"-f", "GBK", "-t", "UTF-8", "--in-place", "-s", "*", "a"},
                    "-s takes a suffix such as txt, not a pattern like '*'"},
        MessageCase{{"-f", "GBK", "-t", "gbk", "--in-place", "--bom=yes", "a"},
                    "--bom=yes: gbk has no byte-order mark; UTF-8, UTF-16 and UTF-32 have one"},
        MessageCase{{"-f", "GBK", "-t", "UTF-8", "--in-place", "--bom=1", "a"},
                    "--bom takes auto|yes|no, not '1'"}));

// --bom decides the target's mark; auto leaves the rule as it is.
using MarkCase = std::tuple<std::string, std::string, bool>; // target, --bom, a mark written

class MarkChosen : public testing::TestWithParam<MarkCase>
{
};

TEST_P(MarkChosen, IsTheTargetsMark)
{
    const auto &[target, bom, writesMark] = GetParam();
    EXPECT_EQ(
        parse({"-f", "GBK", "-t", target, "--in-place", "--bom=" + bom, "a"}).target.writesMark,
        writesMark);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkChosen,
    testing::Values(MarkCase{"UTF-8", "auto", false}, MarkCase{"UTF-8", "yes", true},
                    MarkCase{"UTF-16", "auto", true}, MarkCase{"UTF-16", "no", false},
                    MarkCase{"UTF-32BE", "yes", true}, MarkCase{"GBK", "no", false},
                    MarkCase{"GBK", "auto", false}));

TEST(CommandLine, ASuffixLosesItsLeadingDot)
{
    EXPECT_EQ(parse({"-f", "GBK", "-t", "UTF-8", "--in-place", "-s", ".txt", "-s", "srt", "-s",
                     "..md", "a"})
                  .suffixes,
              (std::vector<std::string>{"txt", "srt", ".md"}));
}

TEST(CommandLine, ListAndCompletionNeedNothingElse)
{
    EXPECT_EQ(parse({"-l"}).action, CommandLine::Action::List);
    const CommandLine completion = parse({"--completion=zsh"});
    EXPECT_EQ(completion.action, CommandLine::Action::Completion);
    EXPECT_EQ(completion.shell, "zsh");
}

TEST(CommandLine, DefaultsAreTheWindowsPrompts)
{
    const CommandLine line = parse({"-f", "GBK", "-t", "UTF-8", "-o", "输出", "资料"});
    EXPECT_EQ(line.action, CommandLine::Action::Convert);
    EXPECT_EQ(line.depth, 0);
    EXPECT_EQ(line.suffixes, std::vector<std::string>{"txt"});
    EXPECT_EQ(line.workers, 0u);
    EXPECT_FALSE(line.inPlace || line.keepTree || line.dryRun || line.json || line.quiet ||
                 line.verbose);
    EXPECT_EQ(line.bom, MarkChoice::Auto);
    EXPECT_EQ(line.outputDirectory, "输出");
    EXPECT_EQ(line.paths, std::vector<std::filesystem::path>{"资料"});
}

TEST(CommandLine, EveryOption)
{
    const CommandLine line =
        parse({"资料", "-f", "detect", "--to=utf8", "-o", "输出", "--keep-tree", "-r", "-s", "srt",
               "--suffix=", "-j", "3", "--dry-run", "--json", "-v", "第二.srt"});
    EXPECT_EQ(line.from, "detect");
    EXPECT_EQ(line.to, "utf8"); // any name ICU resolves
    EXPECT_TRUE(line.keepTree && line.dryRun && line.json && line.verbose);
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

TEST(ExitStatus, FollowsTheWorstOutcomeOrTheSignal)
{
    using Counts = velloran::RunCounts;
    EXPECT_EQ(exitStatus(Counts{.entries = 3, .converted = 1, .cancelled = 1}, SIGINT), 130);
    EXPECT_EQ(exitStatus(Counts{.entries = 3, .converted = 1, .cancelled = 1}, SIGTERM), 143);
    EXPECT_EQ(exitStatus(Counts{.entries = 3, .converted = 2, .cancelled = 0}), 1);
    EXPECT_EQ(exitStatus(Counts{.entries = 3, .converted = 3, .cancelled = 0}), 0);
    EXPECT_EQ(exitStatus(Counts{.entries = 3, .converted = 1, .unchanged = 2}), 0);
    // Nothing to convert fails, as grep finding nothing.
    EXPECT_EQ(exitStatus(Counts{}), 1);
}

} // namespace
