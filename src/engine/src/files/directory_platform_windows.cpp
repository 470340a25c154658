// Windows: a file is named by its volume serial number and file index; the
// hidden attribute hides a file.
#include "files/directory_platform.h"

#include <windows.h>

namespace velloran {

std::optional<FileIdentity> identityOf(const std::filesystem::path &path)
{
    // Backup semantics let directories be opened too.
    HANDLE handle =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
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

bool isHidden(const std::filesystem::directory_entry &entry)
{
    const DWORD attributes = ::GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

EntryKind kindOf(const std::filesystem::directory_entry &entry)
{
    std::error_code error;
    if (entry.is_regular_file(error))
        return EntryKind::File;
    if (entry.is_directory(error))
        return EntryKind::Directory;
    return EntryKind::Other;
}

} // namespace

void listDirectory(const std::filesystem::path &directory,
                   const std::function<void(std::wstring &&name, EntryKind kind)> &found)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        if (!isHidden(*it))
            found(std::wstring(it->path().filename().native()), kindOf(*it));
    }
}

} // namespace velloran
