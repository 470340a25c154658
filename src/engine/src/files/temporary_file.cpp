// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/temporary_file.h"

#include "files/file_error.h"
#include "files/file_system.h"

#include <cerrno>
#include <random>
#include <system_error>

namespace velloran::files {

void discard(TemporaryFile &file)
{
    if (file.fd >= 0)
        closeFile(file.fd);
    file.fd = -1;
    std::error_code ignored;
    if (!file.name.empty())
        std::filesystem::remove(file.name, ignored);
    file.name.clear();
}

std::filesystem::path directoryOf(const std::filesystem::path &finalPath)
{
    std::filesystem::path directory = finalPath.parent_path();
    return directory.empty() ? std::filesystem::path(".") : directory;
}

std::filesystem::path temporaryNameIn(const std::filesystem::path &directory)
{
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string name = ".velloran-";
    for (int i = 0; i < 10; ++i)
        name += kAlphabet[pick(generator)];
    return directory / name;
}

std::filesystem::path freeName(const std::filesystem::path &directory,
                               const std::function<int(const std::filesystem::path &)> &create,
                               const std::string &operation)
{
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::filesystem::path name = temporaryNameIn(directory);
        if (create(name) == 0)
            return name;
        if (errno != EEXIST)
            failToWrite(operation, errno);
    }
    failToWrite(operation, EEXIST);
}

void failToWrite(const std::string &operation, int errorNumber)
{
    throw FileError(Outcome::CannotWrite, operation, errorNumber);
}

} // namespace velloran::files
