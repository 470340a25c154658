// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces of velloran-cli's filter that need no stream: which command
// lines ask for it and which it refuses, and what it says after a stream.
#include "command_line.h"
#include "pipe_mode.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;
using Action = CommandLine::Action;

// The action of a command line, or nothing when it is refused.
std::optional<Action> actionOf(Args arguments, bool inputIsTerminal)
{
    arguments.insert(arguments.begin(), "velloran-cli");
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    try {
        return parseCommandLine(int(arguments.size()), argv.data(), inputIsTerminal).action;
    } catch (const UsageError &) {
        return std::nullopt;
    }
}

struct LineCase
{
    Args arguments;
    bool inputIsTerminal;
    std::optional<Action> action;
};

class PipeCommandLine : public testing::TestWithParam<LineCase>
{
};

TEST_P(PipeCommandLine, IsAFilterAFileRunOrRefused)
{
    const LineCase &c = GetParam();
    EXPECT_EQ(actionOf(c.arguments, c.inputIsTerminal), c.action);
}

const Args kConvert = {"-f", "GBK", "-t", "UTF-8"};

Args with(Args more)
{
    more.insert(more.begin(), kConvert.begin(), kConvert.end());
    return more;
}

constexpr bool kTerminal = true;
constexpr bool kPipe = false;
constexpr std::optional<Action> kRefused = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Cases, PipeCommandLine,
    testing::Values(LineCase{with({"-"}), kTerminal, Action::ConvertPipe},
                    LineCase{with({"-q", "-"}), kPipe, Action::ConvertPipe},
                    LineCase{with({}), kPipe, Action::ConvertPipe},
                    LineCase{{"-f", "detect", "-t", "UTF-16"}, kPipe, Action::ConvertPipe},
                    LineCase{with({}), kTerminal, kRefused}, LineCase{with({"a"}), kPipe, kRefused},
                    LineCase{with({"-o", "out", "a"}), kPipe, Action::Convert},
                    LineCase{with({"-o", "out"}), kPipe, kRefused},
                    LineCase{with({"--in-place"}), kPipe, kRefused},
                    LineCase{with({"-", "a"}), kPipe, kRefused},
                    LineCase{with({"-", "-"}), kPipe, kRefused},
                    LineCase{{"-t", "UTF-8", "-"}, kPipe, kRefused},
                    LineCase{{"-f", "NO-SUCH", "-t", "UTF-8", "-"}, kPipe, kRefused},
                    LineCase{with({"-o", "out", "-"}), kPipe, kRefused},
                    LineCase{with({"--in-place", "-"}), kPipe, kRefused},
                    LineCase{with({"--force", "-"}), kPipe, kRefused},
                    LineCase{with({"-r", "-"}), kPipe, kRefused},
                    LineCase{with({"--depth", "1", "-"}), kPipe, kRefused},
                    LineCase{with({"-s", "txt", "-"}), kPipe, kRefused},
                    LineCase{with({"--keep-tree", "-"}), kPipe, kRefused},
                    LineCase{with({"-j", "2", "-"}), kPipe, kRefused},
                    LineCase{with({"--dry-run", "-"}), kPipe, kRefused},
                    LineCase{with({"--json"}), kPipe, kRefused}));

// ---------------------------------------------------------------------------

struct MessageCase
{
    velloran::FileResult result;
    std::string message;
};

class PipeMessage : public testing::TestWithParam<MessageCase>
{
};

TEST_P(PipeMessage, SaysWhatWentWrongAndWhatWasWritten)
{
    EXPECT_EQ(pipeMessage(GetParam().result, "GB2312"), GetParam().message);
}

using velloran::Outcome;

INSTANTIATE_TEST_SUITE_P(
    Cases, PipeMessage,
    testing::Values(
        MessageCase{{.outcome = Outcome::Converted, .encoding = "GBK"}, ""},
        MessageCase{{.outcome = Outcome::Converted, .encoding = "GBK", .likely = "Big5"},
                    "warning: standard input was converted from GBK, but looks like Big5; "
                    "please check"},
        MessageCase{{.outcome = Outcome::InvalidSource, .line = 7, .encoding = "GBK"},
                    "standard input, line 7: bytes that are not valid in GBK; the output holds "
                    "everything before it, the start of line 7 included, and nothing from it on"},
        MessageCase{
            {.outcome = Outcome::InvalidSource, .line = 1, .encoding = "GBK", .likely = "UTF-8"},
            "standard input, line 1: bytes that are not valid in GBK (maybe UTF-8); the output "
            "holds everything before it, the start of line 1 included, and nothing from it on"},
        MessageCase{{.outcome = Outcome::Unrepresentable,
                     .line = 2,
                     .character = U'\u00A0',
                     .encoding = "UTF-8"},
                    "standard input, line 2: U+00A0 cannot be represented in GB2312; the output "
                    "holds everything before it, the start of line 2 included, and nothing from "
                    "it on"},
        MessageCase{{.outcome = Outcome::AlreadyUtf8, .encoding = "GBK"},
                    "standard input is UTF-8 text already, not GBK (-f UTF-8 reads it); nothing "
                    "was written"},
        MessageCase{{.outcome = Outcome::AlreadyUtf8, .line = 6001, .encoding = "GBK"},
                    "standard input, line 6001: UTF-8 text, not GBK (-f UTF-8 reads it); the "
                    "output holds everything before it, the start of line 6001 included, and "
                    "nothing from it on"},
        MessageCase{{.outcome = Outcome::Undecided, .reason = "too short"},
                    "the encoding of standard input could not be detected (too short); "
                    "nothing was written"},
        MessageCase{{.outcome = Outcome::Cancelled}, "cancelled: the output is incomplete"},
        MessageCase{
            {.outcome = Outcome::CannotWrite, .message = "cannot write the output: Broken pipe"},
            "cannot write the output: Broken pipe"}));

} // namespace
