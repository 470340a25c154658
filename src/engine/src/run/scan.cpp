// SPDX-License-Identifier: GPL-3.0-or-later
// The directory scan behind adding and dropping directories. Each directory
// is listed once; its files and its subdirectories are sorted separately by
// name ignoring case, the order the window's list has always shown.
#include "velloran/scan.h"

#include "files/directory_platform.h"
#include "files/path_text.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <system_error>

namespace velloran {

namespace {

namespace fs = std::filesystem;

using NativeString = fs::path::string_type;

// A name as UTF-16. Names that are not valid UTF-8 (on POSIX) get U+FFFD for
// the invalid bytes: they still sort, and keep their bytes everywhere else.
[[maybe_unused]] std::u16string utf16Of(const std::string &name)
{
    std::u16string text(name.size(), u'\0'); // UTF-16 is never longer than UTF-8
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(text.data(), static_cast<int32_t>(text.size()), &length, name.data(),
                         static_cast<int32_t>(name.size()), 0xFFFD, nullptr, &status);
    text.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return text;
}

[[maybe_unused]] std::u16string utf16Of(const std::wstring &name)
{
    return std::u16string(name.begin(), name.end());
}

// A file name's bytes: the system's own on POSIX, UTF-8 where names are UTF-16.
[[maybe_unused]] std::string nameBytes(const std::string &name)
{
    return name;
}

[[maybe_unused]] std::string nameBytes(const std::wstring &name)
{
    const std::u8string utf8 = fs::path(name).u8string();
    return std::string(utf8.begin(), utf8.end());
}

// Lower-cased character by character with ICU's full mapping but without the
// rules that look at neighbours (a final sigma stays σ), as QString::toLower
// does, so that the order matches what the window showed before.
std::u16string sortKeyOf(const NativeString &name)
{
    const std::u16string text = utf16Of(name);
    std::u16string key;
    key.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            key.push_back(unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit);
            ++i;
            continue;
        }
        const std::size_t start = i;
        UChar32 c;
        U16_NEXT(text.data(), i, text.size(), c);
        UChar lower[8];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = u_strToLower(lower, 8, text.data() + start,
                                            static_cast<int32_t>(i - start), "", &status);
        if (U_SUCCESS(status))
            key.append(lower, lower + length);
        else
            key.append(text, start, i - start);
    }
    return key;
}

// The bytes after the last "." of a name; none when it has no ".".
std::string_view suffixOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

struct Entry
{
    std::u16string key;
    NativeString name;
};

struct Listing
{
    std::vector<Entry> files;
    std::vector<Entry> directories;
};

// std::sort from the order the system lists, as before: names that differ
// only in case keep the order they always had.
void sortByName(std::vector<Entry> &entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.key < b.key; });
}

// Regular files and directories only (what a link leads to counts); pipes,
// sockets, devices and broken links are left out. `error` is the listing's.
Listing listingOf(const fs::path &directory, int &error)
{
    Listing listing;
    error = listDirectory(directory, [&listing](NativeString &&name, EntryKind kind) {
        if (kind == EntryKind::Other)
            return;
        auto &list = kind == EntryKind::File ? listing.files : listing.directories;
        list.push_back({sortKeyOf(name), std::move(name)});
    });
    sortByName(listing.files);
    sortByName(listing.directories);
    return listing;
}

// `directory` and `name` joined by one "/", whatever the system's separator.
fs::path joined(const fs::path &directory, const NativeString &name)
{
    NativeString path = directory.native();
    if (!path.empty() && !isSeparator(path.back()))
        path.push_back('/');
    return fs::path(path + name);
}

class Search
{
public:
    // With `everySuffix`, every file matches whatever the options' suffixes.
    explicit Search(const ScanOptions &options, bool everySuffix = false)
        : m_options(options), m_everySuffix(everySuffix)
    {
    }

    ScanResult run(const fs::path &directory)
    {
        for (const fs::path &path : m_options.leaveOut) {
            if (const auto identity = identityOf(path))
                m_leaveOut.push_back(*identity);
        }
        if (const auto identity = identityOf(directory))
            m_walk.push_back(*identity);
        search(directory, m_options.depth);
        return std::move(m_result);
    }

private:
    void search(const fs::path &directory, int depth)
    {
        int error = 0;
        const Listing listing = listingOf(directory, error);
        if (error != 0)
            m_result.unreadable.push_back({directory, std::generic_category().message(error)});
        for (const Entry &file : listing.files) {
            if (matches(file.name))
                m_result.files.push_back(joined(directory, file.name));
        }
        if (depth <= 0 && depth != -1)
            return;
        for (const Entry &sub : listing.directories) {
            // A link may lead back to a directory being searched: following
            // it again would never end.
            const fs::path path = joined(directory, sub.name);
            const auto identity = identityOf(path);
            if (!identity || contains(m_walk, *identity))
                continue;
            if (contains(m_leaveOut, *identity)) {
                m_result.leftOut.push_back(path);
                continue;
            }
            m_walk.push_back(*identity);
            search(path, depth == -1 ? -1 : depth - 1);
            m_walk.pop_back();
        }
    }

    static bool contains(const std::vector<FileIdentity> &list, const FileIdentity &identity)
    {
        return std::find(list.begin(), list.end(), identity) != list.end();
    }

    bool matches(const NativeString &name) const
    {
        if (m_everySuffix)
            return true;
        const std::string bytes = nameBytes(name);
        const std::string_view suffix = suffixOf(bytes);
        return std::find(m_options.suffixes.begin(), m_options.suffixes.end(), suffix) !=
               m_options.suffixes.end();
    }

    const ScanOptions &m_options;
    const bool m_everySuffix;
    std::vector<FileIdentity> m_walk; // the directories being searched, outermost first
    std::vector<FileIdentity> m_leaveOut;
    ScanResult m_result;
};

} // namespace

std::vector<std::filesystem::path> findFiles(const std::filesystem::path &directory,
                                             const ScanOptions &options)
{
    return Search(options).run(directory).files;
}

ScanResult scanDirectory(const std::filesystem::path &directory, const ScanOptions &options)
{
    return Search(options).run(directory);
}

std::size_t countFiles(const std::filesystem::path &directory, int depth)
{
    const ScanOptions options{depth, {}};
    return Search(options, true).run(directory).files.size();
}

bool hasSuffix(const std::filesystem::path &file, std::string_view suffix)
{
    return suffixOf(nameBytes(file.filename().native())) == suffix;
}

} // namespace velloran
