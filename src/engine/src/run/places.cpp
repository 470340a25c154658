// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/places.h"

#include "files/directory_platform.h"
#include "run/output_paths.h"

namespace velloran {

namespace {

namespace fs = std::filesystem;

// Linux follows at most 40 links in one look-up; a longer way cannot be read.
constexpr int kMostLinks = 40;

std::string_view bytesOf(NativeView text)
{
    return {reinterpret_cast<const char *>(text.data()), text.size() * sizeof(text[0])};
}

fs::path pathOf(NativeView directory)
{
    return directory.empty() ? fs::path(".") : fs::path(directory);
}

} // namespace

Places::Places(fs::path workingDirectory) : m_workingDirectory(std::move(workingDirectory)) {}

std::string_view Places::keyOf(NativeView path, Cursor &cursor)
{
    const std::size_t nameStart = nameStartOf(path);
    const DirectoryEntry &directory = directoryOf(path.substr(0, nameStart), cursor);
    cursor.m_key.assign(directory.second.key);
    cursor.m_key.append(bytesOf(path.substr(nameStart)));
    return cursor.m_key;
}

void Places::forEachOnTheWay(const fs::path &path, Cursor &cursor,
                             const std::function<void(std::string_view key)> &onTheWay)
{
    onTheWay(keyOf(path.native(), cursor));
    fs::path at = path;
    for (int links = 0; links < kMostLinks; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(at, error)))
            return;
        const fs::path target = fs::read_symlink(at, error);
        if (error)
            return;
        at = target.is_absolute() ? target : at.parent_path() / target;
        onTheWay(keyOf(at.native(), cursor));
    }
}

Places::DirectoryEntry &Places::directoryOf(NativeView text, Cursor &cursor)
{
    if (cursor.m_lastDirectory && cursor.m_lastDirectory->first == text)
        return *cursor.m_lastDirectory;
    auto it = m_directories.find(text);
    if (it == m_directories.end())
        it = m_directories.emplace(NativeString(text), Directory{directoryKey(pathOf(text))}).first;
    cursor.m_lastDirectory = &*it;
    return *it;
}

std::string Places::directoryKey(const fs::path &directory) const
{
    std::string key;
    if (const auto identity = identityOf(directory)) {
        key.push_back('i');
        key.append(std::to_string(identity->device)).push_back(':');
        key.append(std::to_string(identity->file));
    } else {
        std::error_code error;
        key.push_back('p');
        key.append(bytesOf(
            fs::weakly_canonical(normalPath(directory, m_workingDirectory), error).native()));
    }
    key.push_back('\0');
    return key;
}

} // namespace velloran
