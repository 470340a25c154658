// SPDX-License-Identifier: GPL-3.0-or-later
// The directory scan: which files it finds, in which order, and in which form
// it gives their paths, names that are not UTF-8 included.
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace velloran::test {
namespace {

// "\xd6\xd0\xce\xc4" is 中文 in GBK: not UTF-8.
const std::string kGbkName = "\xd6\xd0\xce\xc4.txt";
const std::string kGbkFolder = "\xc4\xbf\xc2\xbc"; // 目录

std::vector<std::string> relativeTo(const fs::path &root, const std::vector<fs::path> &paths)
{
    std::vector<std::string> names;
    for (const fs::path &path : paths) {
        const std::string text = path.native();
        EXPECT_EQ(text.rfind(root.native() + "/", 0), 0u) << text;
        names.push_back(text.substr(root.native().size() + 1));
    }
    return names;
}

struct ScanCase
{
    std::string label;
    int depth;
    std::vector<std::string> suffixes;
    std::vector<std::string> expected;
};

using Scan = ScratchTest<ScanCase>;

TEST_P(Scan, FindsTheMatchingFilesInOrder)
{
    const ScanCase &c = GetParam();
    const fs::path root = scratch.path() / "根 目录";
    makeTree(root,
             {"b.txt",           "a.txt",         "x.log",          "X.TXT",     "c.Txt",
              "README",          "ends.",         "archive.tar.gz", "空 格.txt", "中文.txt",
              ".hidden.txt",     ".secret/a.txt", "A/x.txt",        "B/y.txt",   "B/.h.txt",
              "B/.deeper/q.txt", "B/deep/z.txt",  "B/deep/W.TXT",   "empty/",    "a.txt.d/in.txt"});
    EXPECT_EQ(relativeTo(root, findFiles(root, {c.depth, c.suffixes})), c.expected);
}

const std::vector<std::string> kOwn = {"a.txt", "b.txt", "中文.txt", "空 格.txt"};
const std::vector<std::string> kAll = {"a.txt",   "b.txt",          "中文.txt", "空 格.txt",
                                       "A/x.txt", "a.txt.d/in.txt", "B/y.txt",  "B/deep/z.txt"};

INSTANTIATE_TEST_SUITE_P(
    Table, Scan,
    testing::Values(ScanCase{"wholeTreeHiddenLeftOut", -1, {"txt"}, kAll},
                    ScanCase{"depth0TheDirectoryAlone", 0, {"txt"}, kOwn},
                    ScanCase{"depth1OneLevel", 1, {"txt"}, {kAll.begin(), kAll.end() - 1}},
                    ScanCase{"largestDepth", INT_MAX, {"txt"}, kAll},
                    ScanCase{"depthMinus2LikeZero", -2, {"txt"}, kOwn},
                    ScanCase{"lowestIntLikeZero", INT_MIN, {"txt"}, kOwn},
                    ScanCase{"caseMatters", -1, {"TXT"}, {"X.TXT", "B/deep/W.TXT"}},
                    ScanCase{"afterTheLastDot", 0, {"gz"}, {"archive.tar.gz"}},
                    ScanCase{"notTwoSuffixes", 0, {"tar.gz"}, {}},
                    ScanCase{"withItsDot", 0, {".txt"}, {}},
                    ScanCase{"emptyMeansNoSuffix", 0, {""}, {"ends.", "README"}},
                    ScanCase{"severalSuffixesKeepNameOrder",
                             0,
                             {"log", "txt"},
                             {"a.txt", "b.txt", "x.log", "中文.txt", "空 格.txt"}},
                    ScanCase{"noSuffixMatchesNothing", -1, {}, {}}),
    byLabel);

// What a search that found nothing passed over: every file it would see
// whatever its suffix, hidden ones still left out.
TEST(ScanCount, EveryFileToTheDepthWhateverItsSuffix)
{
    ScratchDirectory scratch;
    makeTree(scratch.path(), {"a.txt", "b.log", "README", ".hidden", "sub/c.md", "sub/deeper/d"});
    EXPECT_EQ(countFiles(scratch.path(), 0), 3u);
    EXPECT_EQ(countFiles(scratch.path(), 1), 4u);
    EXPECT_EQ(countFiles(scratch.path(), -1), 5u);
    EXPECT_EQ(countFiles(scratch.path() / "missing", -1), 0u);
}

// Lower-cased character by character with the full mapping (İ becomes i and
// a combining dot) and without context (a final Σ sorts as σ), not folded
// (ſ stays after z, the Kelvin sign goes with k).
TEST(ScanOrder, NamesSortLowerCasedByUtf16CodeUnit)
{
    ScratchDirectory scratch;
    const fs::path root = scratch.path();
    makeTree(root, {"sb.txt", "ſa.txt", "µa.txt", "μb.txt",  "Ä.txt",   "ä2.txt",  "\u212Ac.txt",
                    "kb.txt", "İx.txt", "iy.txt", "ΑΣ.txt",  "ας2.txt", "B.txt",   "_x.txt",
                    "[y.txt", "10.txt", "9.txt",  "a b.txt", "ab.txt",  "Z/a.txt", "_/b.txt"});
    EXPECT_EQ(relativeTo(root, findFiles(root, {-1, {"txt"}})),
              (std::vector<std::string>{
                  "10.txt", "9.txt",  "[y.txt",  "_x.txt",      "a b.txt", "ab.txt",  "B.txt",
                  "iy.txt", "İx.txt", "kb.txt",  "\u212Ac.txt", "sb.txt",  "µa.txt",  "Ä.txt",
                  "ä2.txt", "ſa.txt", "ας2.txt", "ΑΣ.txt",      "μb.txt",  "_/b.txt", "Z/a.txt"}));
}

// A GBK-named file is found and returned with its exact bytes, also inside a
// GBK-named directory; its name sorts as if each invalid byte were U+FFFD.
TEST(ScanNames, NotUtf8AreFoundWithTheirBytes)
{
    ScratchDirectory scratch;
    const fs::path root = scratch.path();
    makeTree(root, {"a.txt", "中文.txt", kGbkName, kGbkFolder + "/" + kGbkName});
    const std::vector<std::string> found = relativeTo(root, findFiles(root, {-1, {"txt"}}));
    EXPECT_EQ(found, (std::vector<std::string>{"a.txt", "中文.txt", kGbkName,
                                               kGbkFolder + "/" + kGbkName}));
    EXPECT_EQ(readBytes(root / kGbkFolder / kGbkName), kGbkFolder + "/" + kGbkName);
}

TEST(ScanPaths, StartWithTheDirectoryAsGiven)
{
    ScratchDirectory scratch;
    makeTree(scratch.path(), {"根/a.txt", "根/子/b.txt"});
    const std::string root = (scratch.path() / "根").native();
    for (const std::string &given : {root, root + "/", root + "/子/.."}) {
        const std::string prefix = given.ends_with('/') ? given : given + "/";
        std::vector<std::string> found;
        for (const fs::path &path : findFiles(given, {-1, {"txt"}}))
            found.push_back(path.native());
        EXPECT_EQ(found, (std::vector<std::string>{prefix + "a.txt", prefix + "子/b.txt"}))
            << given;
    }
}

// Only regular files and directories, links counting as what they lead to; a
// pipe stands for every other kind (sockets, devices), which the scan refuses alike.
TEST(ScanKinds, PipesAndBrokenLinksAreLeftOut)
{
    ScratchDirectory scratch;
    const fs::path root = scratch.path();
    makeTree(root, {"真.txt", "目录/里.txt"});
    fs::create_symlink(root / "真.txt", root / "链.txt");
    fs::create_symlink(root / "无.txt", root / "断.txt");
    fs::create_directory_symlink(root / "目录", root / "目录链");
    ASSERT_EQ(::mkfifo((root / "管.txt").c_str(), 0600), 0);
    EXPECT_EQ(relativeTo(root, findFiles(root, {-1, {"txt"}})),
              (std::vector<std::string>{"真.txt", "链.txt", "目录/里.txt", "目录链/里.txt"}));
}

TEST(ScanLinks, BackIntoTheWalkAreNotFollowed)
{
    ScratchDirectory scratch;
    const fs::path base = scratch.path();
    const fs::path tree = base / "树";
    makeTree(base, {"outside/c.txt", "树/a.txt", "树/sub/b.txt", "树/y/d.txt", "树/x/"});
    fs::create_directory_symlink(tree, tree / "sub/back"); // a cycle
    fs::create_directory_symlink(tree, tree / "self");     // a cycle of one
    fs::create_directory_symlink(base / "outside", tree / "out");
    fs::create_directory_symlink(tree / "y", tree / "x/toY"); // not on the walk there
    fs::create_directory_symlink(base, tree / "up");          // above the search; holds it
    EXPECT_EQ(relativeTo(tree, findFiles(tree, {-1, {"txt"}})),
              (std::vector<std::string>{"a.txt", "out/c.txt", "sub/b.txt", "up/outside/c.txt",
                                        "x/toY/d.txt", "y/d.txt"}));
}

TEST(ScanMissing, ListsAsEmpty)
{
    ScratchDirectory scratch;
    makeTree(scratch.path(), {"a.txt", "locked/b.txt"});
    EXPECT_TRUE(findFiles(scratch.path() / "missing", {-1, {"txt"}}).empty());
    EXPECT_TRUE(findFiles(scratch.path() / "a.txt", {-1, {"txt"}}).empty());
    if (::geteuid() != 0) { // root reads every directory
        fs::permissions(scratch.path() / "locked", fs::perms::none);
        EXPECT_EQ(relativeTo(scratch.path(), findFiles(scratch.path(), {-1, {"txt"}})),
                  std::vector<std::string>{"a.txt"});
    }
}

struct SuffixCase
{
    std::string label;
    std::string file;
    std::string suffix;
    bool matches;
};

using Suffix = testing::TestWithParam<SuffixCase>;

TEST_P(Suffix, IsWhatFollowsTheLastDotOfTheName)
{
    EXPECT_EQ(hasSuffix(GetParam().file, GetParam().suffix), GetParam().matches);
}

// How a name's suffix is found, names that are not UTF-8 included, is pinned
// by the scans above, which use the same rule; here only what the path adds.
INSTANTIATE_TEST_SUITE_P(
    Table, Suffix,
    testing::Values(SuffixCase{"dotInTheDirectoryOnly", "a.d/README", "d/README", false},
                    SuffixCase{"dotInTheDirectoryNoSuffix", "a.d/README", "", true},
                    SuffixCase{"chineseSuffix", "文件.文本", "文本", true}),
    byLabel);

} // namespace
} // namespace velloran::test
