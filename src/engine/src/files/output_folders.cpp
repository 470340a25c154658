// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/output_folders.h"

#include "files/file_error.h"

namespace velloran {

void makeFoldersOf(const std::filesystem::path &output)
{
    const std::filesystem::path folder = output.parent_path();
    std::error_code error;
    if (folder.empty() || std::filesystem::create_directories(folder, error) || !error)
        return;
    if (std::filesystem::is_directory(folder)) // made by another worker meanwhile
        return;
    throw FileError(Outcome::CannotWrite, error.message());
}

} // namespace velloran
