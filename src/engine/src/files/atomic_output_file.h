// SPDX-License-Identifier: GPL-3.0-or-later
// An output file that appears under its final name complete or not at all.
// Bytes go to a temporary file in the directory of the final path, which is
// only ever accessible as the final file will be; commit() flushes it to disk
// when it replaces a file, and moves it into place.
// Destroyed without commit(), it removes the temporary file, leaving any
// existing file under the final name untouched.
#pragma once

#include "files/temporary_file.h"

#include <cstddef>
#include <filesystem>

namespace velloran {

class AtomicOutputFile
{
public:
    // Throws FileError(CannotWrite) when the temporary file cannot be created.
    explicit AtomicOutputFile(std::filesystem::path finalPath,
                              files::Naming naming = files::Naming::UnnamedWherePossible);
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile &) = delete;
    AtomicOutputFile &operator=(const AtomicOutputFile &) = delete;

    // Throws FileError(CannotWrite), e.g. when the disk is full.
    void write(const char *bytes, std::size_t count);

    // Flushes the file to disk when it will replace one, which commit()
    // otherwise does first: after it, committing is only the move into place,
    // and a caller may still decide to drop the file. Throws FileError(CannotWrite).
    void flush();

    // Throws FileError(CannotWrite); the temporary file is gone either way.
    // True when it replaced an existing file, and so was flushed to disk first.
    bool commit();

private:
    std::filesystem::path m_finalPath;
    files::TemporaryFile m_file;
    bool m_flushed = false;
};

} // namespace velloran
