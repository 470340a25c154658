// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace velloran::test {

// A new name until one is free: create_directory() is false for a name in use.
ScratchDirectory::ScratchDirectory(const fs::path &parent)
{
    static std::mt19937_64 generator{std::random_device{}()};
    do
        m_root = parent / u8path("velloran-测试-" + std::to_string(generator() % 1'000'000'000));
    while (!fs::create_directory(m_root));
    m_path = m_root / u8path("中文 目录");
    fs::create_directory(m_path);
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    // Tests may leave read-only directories behind. A destructor must not
    // throw: the walk stops at the first error (on Windows, a path beyond
    // MAX_PATH).
    for (fs::recursive_directory_iterator entry(m_root, ignored), end; !ignored && entry != end;
         entry.increment(ignored))
        if (entry->is_directory(ignored) && !entry->is_symlink(ignored))
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    ignored.clear();
    fs::remove_all(m_root, ignored);
}

fs::path ScratchDirectory::subdirectory(const std::string &name) const
{
    const fs::path directory = m_path / u8path(name);
    fs::create_directory(directory);
    return directory;
}

bool makeSymbolicLink(const fs::path &target, const fs::path &link)
{
    std::error_code error;
    fs::create_symlink(target, link, error);
    return !error;
}

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned modeOf(const fs::path &path)
{
    return static_cast<unsigned>(fs::status(path).permissions());
}

void writeBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> namesIn(const fs::path &directory)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool hasTemporaryFile(const fs::path &directory)
{
    const auto names = namesIn(directory);
    return std::any_of(names.begin(), names.end(), [](const std::string &name) {
        return name.find(".velloran-") != std::string::npos;
    });
}

std::map<std::string, std::string> snapshot(const fs::path &directory)
{
    std::map<std::string, std::string> tree;
    for (const auto &entry : fs::recursive_directory_iterator(directory))
        tree[entry.path().string()] = entry.is_regular_file() ? readBytes(entry.path())
                                      : entry.is_directory()  ? "/"
                                                              : "?";
    return tree;
}

std::string repeated(const std::string &text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

void makeTree(const fs::path &root, const std::vector<std::string> &names)
{
    for (const std::string &name : names) {
        const fs::path path = root / u8path(name);
        if (name.ends_with('/')) {
            fs::create_directories(path);
        } else {
            fs::create_directories(path.parent_path());
            writeBytes(path, name);
        }
    }
}

std::string fixture(const std::string &name)
{
    return readBytes(fs::path(VELLORAN_ENGINE_FIXTURES) / name);
}

ConvertOptions optionsFor(const std::string &source, const std::string &target,
                          std::size_t chunkSize)
{
    ConvertOptions options;
    options.source = resolveSource(source);
    options.target = resolveEncoding(target);
    options.tuning.chunkSize = chunkSize;
    return options;
}

RunOptions runOptions(const std::string &source, const std::string &target,
                      const fs::path &outputDirectory, unsigned workers)
{
    RunOptions options;
    options.source = resolveSource(source);
    options.target = resolveEncoding(target);
    options.outputDirectory = outputDirectory;
    options.workers = workers;
    return options;
}

std::vector<RunInput> runInputs(const std::vector<fs::path> &paths)
{
    std::vector<RunInput> inputs;
    for (const fs::path &path : paths)
        inputs.push_back({path, {}});
    return inputs;
}

std::string paramName(std::string text)
{
    for (char &c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return text;
}

fs::path convertedPath(const ScratchDirectory &scratch)
{
    return scratch.path() / "输出.txt";
}

FileResult convertBytes(const ScratchDirectory &scratch, const std::string &bytes,
                        const std::string &source, const std::string &target, std::string &output,
                        std::size_t chunkSize, const Adjust &adjust)
{
    const fs::path input = scratch.path() / "输入.txt";
    const fs::path result = convertedPath(scratch);
    writeBytes(input, bytes);
    fs::remove(result);
    ConvertOptions options = optionsFor(source, target, chunkSize);
    if (adjust)
        adjust(options);
    const FileResult outcome = convertFile(input, result, options);
    output = fs::exists(result) ? readBytes(result) : std::string();
    return outcome;
}

} // namespace velloran::test

void velloran::PrintTo(Outcome outcome, std::ostream *os)
{
    static const char *const names[] = {"Converted",      "Unchanged",     "CannotRead",
                                        "CannotWrite",    "InvalidSource", "Unrepresentable",
                                        "Cancelled",      "SharedOutput",  "AlreadyUtf8",
                                        "LooksLikeOther", "Undecided"};
    *os << names[static_cast<int>(outcome)];
}
