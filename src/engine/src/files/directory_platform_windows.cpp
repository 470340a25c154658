// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: a file is named by its volume serial number and file index; the
// hidden attribute hides a file; the listing's attributes spare the look-ups
// of all names but links.
#include "files/directory_platform.h"

#include "files/error_number_windows.h"

#include <string>
#include <string_view>
#include <windows.h>

namespace velloran {

namespace {

// What `path` leads to, links followed. Opened for no access at all, which
// reads attributes wherever the name can be seen, with backup semantics so
// that directories open too.
bool informationOf(const std::filesystem::path &path, BY_HANDLE_FILE_INFORMATION &information)
{
    HANDLE handle =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool known = ::GetFileInformationByHandle(handle, &information) != 0;
    ::CloseHandle(handle);
    return known;
}

} // namespace

std::optional<FileIdentity> identityOf(const std::filesystem::path &path)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!informationOf(path, information))
        return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (std::uint64_t(information.nFileIndexHigh) << 32) |
                            information.nFileIndexLow};
}

// Windows keeps no handle: each name is looked up by its whole path.
OpenDirectory::OpenDirectory(const std::filesystem::path &path)
    : m_path(path), m_identity(velloran::identityOf(path))
{
}

OpenDirectory::~OpenDirectory() = default;

std::optional<FileIdentity> OpenDirectory::identityOf(const wchar_t *name) const
{
    if (*name == L'\0' || !m_identity)
        return m_identity;
    return velloran::identityOf(m_path / name);
}

namespace {

// The listing names the directory itself and its parent too.
bool isHidden(const WIN32_FIND_DATAW &entry)
{
    const std::wstring_view name = entry.cFileName;
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0 || name == L"." || name == L"..";
}

// A reparse point that names another file (a symbolic link, a junction) is
// what it leads to, which takes a look-up; other reparse points (files in the
// cloud, deduplicated or compressed ones) are the files or directories their
// attributes say, except a Unix domain socket, which is no file. The tag of a
// reparse point is in dwReserved0.
EntryKind kindOf(const std::filesystem::path &directory, const WIN32_FIND_DATAW &entry)
{
    DWORD attributes = entry.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if (entry.dwReserved0 == IO_REPARSE_TAG_AF_UNIX)
            return EntryKind::Other;
        if (IsReparseTagNameSurrogate(entry.dwReserved0)) {
            BY_HANDLE_FILE_INFORMATION information;
            if (!informationOf(directory / entry.cFileName, information))
                return EntryKind::Other; // a broken link
            attributes = information.dwFileAttributes;
        }
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Directory : EntryKind::File;
}

struct SearchHandle
{
    HANDLE handle;
    ~SearchHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            ::FindClose(handle);
    }
};

} // namespace

// Basic information leaves out the short 8.3 names, which cost the file
// system a look-up each; a large fetch asks for many names at a time.
// The listing of a directory always holds "." and "..", so an end before
// them, as any other, is a failure unless it is ERROR_NO_MORE_FILES.
int listDirectory(const std::filesystem::path &directory,
                  const std::function<void(std::wstring &&name, EntryKind kind)> &found)
{
    WIN32_FIND_DATAW entry;
    const SearchHandle search{::FindFirstFileExW((directory / L"*").c_str(), FindExInfoBasic,
                                                 &entry, FindExSearchNameMatch, nullptr,
                                                 FIND_FIRST_EX_LARGE_FETCH)};
    if (search.handle == INVALID_HANDLE_VALUE)
        return files::errorNumberOf(::GetLastError());
    do {
        if (!isHidden(entry))
            found(std::wstring(entry.cFileName), kindOf(directory, entry));
    } while (::FindNextFileW(search.handle, &entry));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : files::errorNumberOf(error);
}

} // namespace velloran
