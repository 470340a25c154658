// The pieces of velloran-cli that need no files: the command line, and the
// texts of its reports (escaping, file names that are not UTF-8, characters
// that do not show).
#include "command_line.h"
#include "json_report.h"
#include "manual.h"
#include "summary.h"

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

class RefusedCommandLine : public testing::TestWithParam<std::vector<std::string>>
{
};

TEST_P(RefusedCommandLine, IsAUsageError)
{
    EXPECT_THROW(parse(GetParam()), UsageError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommandLine,
    testing::Values(std::vector<std::string>{},
                    std::vector<std::string>{"-f", "GBK", "-o", "out", "文件.txt"},
                    std::vector<std::string>{"-t", "UTF-8", "-o", "out", "文件.txt"},
                    std::vector<std::string>{"-f", "NO-SUCH", "-t", "UTF-8", "-o", "o", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "NO-SUCH", "-o", "o", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "detect", "-o", "o", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "-o", "o", "--in-place",
                                             "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "--in-place",
                                             "--keep-tree", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "--in-place"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "--in-place", "--depth",
                                             "deep", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "--in-place", "--depth",
                                             "-2", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "--in-place", "--depth",
                                             "3x", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "--in-place", "-j", "-1",
                                             "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "--in-place", "--frob",
                                             "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "--in-place", "-x", "a"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "a", "-o"},
                    std::vector<std::string>{"-f", "GBK", "-t", "UTF-8", "-o", "", "a"}));

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

TEST(CommandLine, HelpVersionAndManualNeedNothingElse)
{
    EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"-V"}).action, CommandLine::Action::Version);
    EXPECT_EQ(parse({"--man"}).action, CommandLine::Action::Manual);
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

struct Utf8Case {
    std::string bytes;
    bool valid;
};

class Utf8Check : public testing::TestWithParam<Utf8Case>
{
};

TEST_P(Utf8Check, AcceptsExactlyWellFormedUtf8)
{
    EXPECT_EQ(isValidUtf8(GetParam().bytes), GetParam().valid);
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

struct JsonCase {
    std::string bytes;
    std::string json;
};

class JsonText : public testing::TestWithParam<JsonCase>
{
};

TEST_P(JsonText, EscapesAndReplacesInvalidBytes)
{
    EXPECT_EQ(jsonString(GetParam().bytes), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonText,
    testing::Values(JsonCase{"", "\"\""}, JsonCase{"a\"b\\c", "\"a\\\"b\\\\c\""},
                    JsonCase{"\n\t\x01\x7F", "\"\\u000a\\u0009\\u0001\\u007f\""},
                    JsonCase{"中文/文件.txt", "\"中文/文件.txt\""},
                    JsonCase{"\xD6\xD0\xCE\xC4.txt", "\"\uFFFD\uFFFD\uFFFD\uFFFD.txt\""},
                    JsonCase{"a\xE4\xB8", "\"a\uFFFD\uFFFD\""}));

struct CharacterCase {
    char32_t character;
    std::string shown;
};

class CharacterShown : public testing::TestWithParam<CharacterCase>
{
};

TEST_P(CharacterShown, AsItselfOrAsItsCode)
{
    EXPECT_EQ(visibleCharacter(GetParam().character), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, CharacterShown,
                         testing::Values(CharacterCase{U'€', "\"€\""},
                                         CharacterCase{U'\U0001F600', "\"\U0001F600\""},
                                         CharacterCase{U'A', "\"A\""},
                                         CharacterCase{U' ', "U+0020"},
                                         CharacterCase{U'\t', "U+0009"},
                                         CharacterCase{U'\u200B', "U+200B"}, // zero width space
                                         CharacterCase{U'\u3000', "U+3000"}, // ideographic space
                                         CharacterCase{U'\uFEFF', "U+FEFF"},
                                         CharacterCase{U'\uE000', "U+E000"}, // private use
                                         CharacterCase{U'\U0010FFFF', "U+10FFFF"}));

} // namespace
