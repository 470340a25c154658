// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the engine tests: scratch directories with non-ASCII
// names, whole-file reads and writes, and the stored fixtures.
#pragma once

#include "velloran/engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace velloran::test {

namespace fs = std::filesystem;

// A path from UTF-8 text on every system: Windows reads a narrow string as
// its ANSI code page, which holds few of the names the tests use.
inline fs::path u8path(std::string_view text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

// A fresh directory in `parent`, removed with everything in it at destruction.
// Its own name and `path()` (a subdirectory) contain non-ASCII characters and a space.
class ScratchDirectory
{
public:
    explicit ScratchDirectory(const fs::path &parent = fs::temp_directory_path());
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory &) = delete;
    ScratchDirectory &operator=(const ScratchDirectory &) = delete;

    const fs::path &path() const { return m_path; }
    // A new, empty subdirectory of path().
    fs::path subdirectory(const std::string &name) const;

private:
    fs::path m_root;
    fs::path m_path;
};

// Makes a symbolic link; false where the system cannot (GTEST_SKIP with
// kNoSymbolicLinks then).
[[nodiscard]] bool makeSymbolicLink(const fs::path &target, const fs::path &link);
inline constexpr const char *kNoSymbolicLinks =
    "cannot create symbolic links here: MinGW's libstdc++ creates none on Windows, where "
    "creating one also takes a privilege";

std::string readBytes(const fs::path &path);
// The permission bits of `path`, setuid, setgid and sticky included.
unsigned modeOf(const fs::path &path);
void writeBytes(const fs::path &path, const std::string &bytes);

// The names in `directory`, sorted.
std::vector<std::string> namesIn(const fs::path &directory);
// True when `directory` holds a leftover temporary output file.
bool hasTemporaryFile(const fs::path &directory);
// Every path under `directory` with the contents of its regular files ("/"
// for a directory, "?" otherwise), to show that something left them alone.
std::map<std::string, std::string> snapshot(const fs::path &directory);
std::string repeated(const std::string &text, int times);
// Makes the files (each holding its own relative path) and the directories
// (names ending in "/") below `root`, with their missing parents.
void makeTree(const fs::path &root, const std::vector<std::string> &names);

// A stored fixture written by fixtures/generate.py, e.g. "common.utf-8".
std::string fixture(const std::string &name);

// Byte-order marks, spelled out here rather than taken from the engine.
inline const std::string kUtf8Mark = "\xEF\xBB\xBF";
inline const std::string kUtf16LeMark = "\xFF\xFE";
inline const std::string kUtf16BeMark = "\xFE\xFF";
inline const std::string kUtf32LeMark = std::string("\xFF\xFE\x00\x00", 4);
inline const std::string kUtf32BeMark = std::string("\x00\x00\xFE\xFF", 4);

ConvertOptions optionsFor(const std::string &source, const std::string &target,
                          std::size_t chunkSize = kDefaultChunkSize);
RunOptions runOptions(const std::string &source, const std::string &target,
                      const fs::path &outputDirectory, unsigned workers = 0);
// Files given directly, without a base directory.
std::vector<RunInput> runInputs(const std::vector<fs::path> &paths);

using Adjust = std::function<void(ConvertOptions &)>;

// Where convertBytes writes.
fs::path convertedPath(const ScratchDirectory &scratch);
// Converts `bytes` from `source` to `target` through real files in `scratch`;
// the converted bytes end up in `output` (empty if nothing was written).
FileResult convertBytes(const ScratchDirectory &scratch, const std::string &bytes,
                        const std::string &source, const std::string &target, std::string &output,
                        std::size_t chunkSize = kDefaultChunkSize, const Adjust &adjust = {});

// Undoes a change to the process (working directory, umask, environment)
// when a test ends.
struct Restore
{
    std::function<void()> undo;
    ~Restore() { undo(); }
};

// A parameterised test with its own scratch directory.
template <class Param> class ScratchTest : public testing::TestWithParam<Param>
{
protected:
    ScratchDirectory scratch;
};

// `text` with every character but ASCII letters and digits made '_', to name a case.
std::string paramName(std::string text);

// Names a parameterised case by its `label`.
inline constexpr auto byLabel = [](const auto &info) { return info.param.label; };
// Names a case of a (source, target) pair of encodings.
inline constexpr auto byPair = [](const auto &info) {
    return paramName(std::get<0>(info.param) + "_to_" + std::get<1>(info.param));
};

} // namespace velloran::test

namespace velloran {
// Lets GoogleTest print outcomes by name.
void PrintTo(Outcome outcome, std::ostream *os);
} // namespace velloran
