// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/output_paths.h"

#include "files/path_text.h"

#include <optional>

namespace velloran {

namespace {

namespace fs = std::filesystem;
using NativeString = fs::path::string_type;

bool isDots(NativeView name)
{
    return (name.size() == 1 && name[0] == '.') ||
           (name.size() == 2 && name[0] == '.' && name[1] == '.');
}

// What `directory / name` starts with, for any relative `name` without a
// root: the directory, and a separator where operator/ would put one.
NativeString joinPrefixOf(const fs::path &directory)
{
    NativeString prefix = (directory / "x").native();
    prefix.pop_back();
    return prefix;
}

fs::path joined(const NativeString &prefix, NativeView rest)
{
    NativeString path;
    path.reserve(prefix.size() + rest.size());
    path.append(prefix).append(rest);
    return fs::path(std::move(path));
}

// What path.filename() is, without making a path of it.
NativeView nameOf(const fs::path &path)
{
    const NativeView text = path.native();
    std::size_t start = nameStartOf(text);
    if (start == 0 && path.has_root_name()) // "C:name" where drives exist
        start = path.root_name().native().size();
    return text.substr(start);
}

// The common case without path arithmetic: `path` is `base`, a separator
// and names that are neither empty, "." nor "..".
std::optional<NativeView> plainlyBelow(NativeView path, NativeView base)
{
    while (!base.empty() && isSeparator(base.back()))
        base.remove_suffix(1);
    if (base.empty() || path.size() <= base.size() + 1 || !path.starts_with(base) ||
        !isSeparator(path[base.size()]))
        return std::nullopt;
    const NativeView relative = path.substr(base.size() + 1);
    for (NativeView rest = relative;;) {
        std::size_t end = 0;
        while (end < rest.size() && !isSeparator(rest[end]) && rest[end] != ':')
            ++end;
        // ':' may start a drive where drives exist: left to the path arithmetic.
        if (end == 0 || isDots(rest.substr(0, end)) || (end < rest.size() && rest[end] == ':'))
            return std::nullopt;
        if (end == rest.size())
            return relative;
        rest.remove_prefix(end + 1);
    }
}

} // namespace

OutputPaths::OutputPaths(const RunOptions &options, fs::path workingDirectory)
    : m_options(options), m_workingDirectory(std::move(workingDirectory))
{
    if (options.outputRule != OutputRule::InPlace) {
        m_intoPrefix = outputPathFor(options.outputDirectory, "x").native();
        m_intoPrefix.pop_back();
        m_treePrefix = joinPrefixOf(options.outputDirectory);
    }
}

// Made as one string: joining paths would parse and allocate each part.
fs::path OutputPaths::of(const RunInput &input) const
{
    switch (m_options.outputRule) {
    case OutputRule::IntoDirectory:
        break;
    case OutputRule::KeepTree:
        if (const auto below = plainlyBelow(input.path.native(), input.base.native()))
            return joined(m_treePrefix, *below);
        return m_options.outputDirectory / pathInTree(input);
    case OutputRule::InPlace:
        return input.path;
    }
    return joined(m_intoPrefix, nameOf(input.path));
}

fs::path outputPathFor(const fs::path &outputDirectory, const fs::path &input)
{
    // Trailing separators go, except those that are the root itself ("/", "C:\").
    const std::size_t rootLength = outputDirectory.root_name().native().size() +
                                   (outputDirectory.has_root_directory() ? 1 : 0);
    fs::path::string_type directory = outputDirectory.native();
    while (directory.size() > rootLength && isSeparator(directory.back()))
        directory.pop_back();
    return fs::path(directory) / input.filename();
}

fs::path normalPath(const fs::path &path, const fs::path &workingDirectory)
{
    return (path.is_absolute() ? path : workingDirectory / path).lexically_normal();
}

// The input's path below its base; only its name when it has no base or
// lies outside it, so that no output lands outside the output directory.
fs::path OutputPaths::pathInTree(const RunInput &input) const
{
    if (input.base.empty())
        return input.path.filename();
    const fs::path relative = normalPath(input.path, m_workingDirectory)
                                  .lexically_relative(normalPath(input.base, m_workingDirectory));
    if (relative.empty() || relative == "." || *relative.begin() == "..")
        return input.path.filename();
    return relative;
}

} // namespace velloran
