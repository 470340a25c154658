// On Windows the temporary file is always named: ".velloran-" and ten random
// characters, hidden from nobody. Files carry no permission bits beyond
// read-only, which a new file does not need; their ACLs come from the
// directory.
#include "files/temporary_file.h"

#include "files/file_error.h"
#include "files/file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <string>
#include <sys/stat.h>
#include <windows.h>

namespace velloran::files {

namespace {

int createExclusive(const std::filesystem::path &path)
{
    int fd = -1;
    const errno_t error =
        _wsopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (error != 0)
        errno = error;
    return fd;
}

} // namespace

TemporaryFile createTemporaryFor(const std::filesystem::path &finalPath, Naming)
{
    const std::filesystem::path directory = directoryOf(finalPath);
    TemporaryFile file;
    file.replacing = GetFileAttributesW(finalPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    file.name = freeName(
        directory,
        [&](const std::filesystem::path &name) {
            file.fd = createExclusive(name);
            return file.fd < 0 ? -1 : 0;
        },
        "cannot create the temporary file in " + directory.string());
    return file;
}

void finishReplacement(const TemporaryFile &file, const std::filesystem::path &finalPath)
{
    if (_commit(file.fd) != 0)
        failToWrite("cannot flush the new " + finalPath.string() + " to disk", errno);
}

void moveIntoPlace(TemporaryFile &file, const std::filesystem::path &finalPath)
{
    const int fd = file.fd;
    file.fd = -1;
    if (closeFile(fd) != 0)
        failToWrite("cannot write " + finalPath.string(), errno);
    if (!MoveFileExW(file.name.c_str(), finalPath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw FileError(Outcome::CannotWrite, "cannot rename " + file.name.string() + " to " +
                                                  finalPath.string() + " (error " +
                                                  std::to_string(GetLastError()) + ")");
    file.name.clear();
}

} // namespace velloran::files
