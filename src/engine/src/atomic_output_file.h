// An output file that appears under its final name complete or not at all.
// Bytes go to a temporary file created exclusively next to the final path (so
// the final rename stays within one file system); commit() gives it the
// permissions of the file it replaces, flushes it to disk when it replaces
// one, and renames it into place.
// Destroyed without commit(), it removes the temporary file, leaving any
// existing file under the final name untouched.
#pragma once

#include "byte_sink.h"

#include <cstddef>
#include <filesystem>

namespace velloran {

class AtomicOutputFile : public ByteSink
{
public:
    // Throws FileError(CannotWrite) when the temporary file cannot be created.
    explicit AtomicOutputFile(std::filesystem::path finalPath);
    ~AtomicOutputFile() override;
    AtomicOutputFile(const AtomicOutputFile &) = delete;
    AtomicOutputFile &operator=(const AtomicOutputFile &) = delete;

    // Throws FileError(CannotWrite), e.g. when the disk is full.
    void write(const char *bytes, std::size_t count) override;

    // Throws FileError(CannotWrite); the temporary file is gone either way.
    // True when it replaced an existing file, and so was flushed to disk first.
    bool commit();

private:
    void discard();

    std::filesystem::path m_finalPath;
    std::filesystem::path m_temporaryPath;
    int m_fd = -1;
};

} // namespace velloran
