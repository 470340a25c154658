// SPDX-License-Identifier: GPL-3.0-or-later
// On Windows the temporary file is always named: ".velloran-" and ten random
// characters. It is hidden while it is written, so that the scans pass over
// it, and over one a crash left behind, as they pass over names starting with
// "." on POSIX, until just before it is moved into place, when it takes the
// attributes the final file is to show.
//
// A file that replaces another takes over its access control list (its
// permissions) before any text is written, and its hidden, system and
// not-indexed attributes when it is moved into place. Its owner is the user
// converting it: giving a file another owner takes a privilege (restoring
// backups) that a program does not hold unless run to restore them.
#include "files/temporary_file.h"

#include "files/error_number_windows.h"
#include "files/file_error.h"
#include "files/file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

#include <aclapi.h>

namespace velloran::files {

namespace {

[[noreturn]] void failToWriteWith(const std::string &operation, DWORD windowsError)
{
    failToWrite(operation, errorNumberOf(windowsError));
}

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// A name in use fails with EEXIST, for freeName() to try another. No
// security attributes: the handle is not inherited.
int createExclusive(const std::filesystem::path &path)
{
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = errorNumberOf(::GetLastError());
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        const int error = errno;
        ::CloseHandle(handle);
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        errno = error;
    }
    return fd;
}

// FAT and exFAT keep no access control lists: there is nothing to take over.
bool keepsAccessControlLists(HANDLE file)
{
    DWORD flags = 0;
    if (!::GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return true; // unknown: try, and fail if it fails
    return (flags & FILE_PERSISTENT_ACLS) != 0;
}

// Gives the new file `name` the access control list of the file under
// `finalPath`: its own entries, and whether it takes the directory's
// inheritable ones too (both names are in the same directory, so that the
// inherited entries come out the same). A file whose permissions cannot be
// read or kept is not replaced: the new one would be open to whoever the
// directory lets in.
void takeOverPermissions(int fd, const std::filesystem::path &name,
                         const std::filesystem::path &finalPath)
{
    if (!keepsAccessControlLists(handleOf(fd)))
        return;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error =
        ::GetNamedSecurityInfoW(finalPath.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, &acl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        failToWriteWith("cannot read the permissions of " + finalPath.string(), error);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                            : UNPROTECTED_DACL_SECURITY_INFORMATION);
    // The name is taken as LPWSTR, though it is not written to.
    std::wstring target = name.native();
    error = ::SetNamedSecurityInfoW(target.data(), SE_FILE_OBJECT, what, nullptr, nullptr, acl,
                                    nullptr);
    ::LocalFree(descriptor);
    if (error != ERROR_SUCCESS)
        failToWriteWith("cannot set the permissions of the new " + finalPath.string(), error);
}

// What the file shows under the final name: the attributes of the file it
// replaces that say how to show it, or none for a new file; "archive", as for
// any file just written. Not hidden any more, unless the replaced file was.
void setFinalAttributes(int fd, const std::filesystem::path &finalPath)
{
    constexpr DWORD kTakenOver =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD replaced = ::GetFileAttributesW(finalPath.c_str());
    FILE_BASIC_INFO information{}; // times of 0 are left as they are
    information.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    if (replaced != INVALID_FILE_ATTRIBUTES)
        information.FileAttributes |= replaced & kTakenOver;
    if (!::SetFileInformationByHandle(handleOf(fd), FileBasicInfo, &information,
                                      sizeof information))
        failToWriteWith("cannot set the attributes of the new " + finalPath.string(),
                        ::GetLastError());
}

} // namespace

// A read-only file cannot be replaced (MoveFileExW refuses it with "access
// denied"), so it is refused before anything is written, with the reason.
TemporaryFile createTemporaryFor(const std::filesystem::path &finalPath, Naming)
{
    const std::filesystem::path directory = directoryOf(finalPath);
    const DWORD existing = ::GetFileAttributesW(finalPath.c_str());
    TemporaryFile file;
    file.replacing = existing != INVALID_FILE_ATTRIBUTES;
    if (file.replacing && (existing & FILE_ATTRIBUTE_READONLY) != 0)
        failToWrite("cannot replace " + finalPath.string() + ", which is read-only", EACCES);
    file.name = freeName(
        directory,
        [&](const std::filesystem::path &name) {
            file.fd = createExclusive(name);
            return file.fd < 0 ? -1 : 0;
        },
        "cannot create the temporary file in " + directory.string());
    try {
        if (file.replacing)
            takeOverPermissions(file.fd, file.name, finalPath);
    } catch (...) {
        discard(file);
        throw;
    }
    return file;
}

void finishReplacement(const TemporaryFile &file, const std::filesystem::path &finalPath)
{
    if (::_commit(file.fd) != 0)
        failToWrite("cannot flush the new " + finalPath.string() + " to disk", errno);
}

// MoveFileExW replaces the final name in one step on the same volume, which
// the temporary file is always on.
void moveIntoPlace(TemporaryFile &file, const std::filesystem::path &finalPath)
{
    setFinalAttributes(file.fd, finalPath);
    const int fd = file.fd;
    file.fd = -1;
    if (closeFile(fd) != 0)
        failToWrite("cannot write " + finalPath.string(), errno);
    if (!::MoveFileExW(file.name.c_str(), finalPath.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failToWriteWith("cannot write " + finalPath.string(), // the temporary name is ours
                        ::GetLastError());
    file.name.clear();
}

} // namespace velloran::files
