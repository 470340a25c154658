// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/atomic_output_file.h"

#include "files/file_error.h"
#include "files/write_all.h"

namespace velloran {

AtomicOutputFile::AtomicOutputFile(std::filesystem::path finalPath, files::Naming naming)
    : m_finalPath(std::move(finalPath)), m_file(files::createTemporaryFor(m_finalPath, naming))
{
}

AtomicOutputFile::~AtomicOutputFile()
{
    files::discard(m_file);
}

void AtomicOutputFile::write(const char *bytes, std::size_t count)
{
    if (const int error = files::writeAll(m_file.fd, bytes, count))
        throw FileError(Outcome::CannotWrite, "cannot write " + m_finalPath.string(), error);
}

// The flush protects the file being replaced: without it, a crash of the
// system soon after the rename could leave neither the old text nor the new
// one. A new name replaces nothing, so nothing can be lost there, and the
// flush (most of the time of a small file) is skipped; the program's own
// interruption still leaves no partial output, since the move comes last.
void AtomicOutputFile::flush()
{
    try {
        if (m_file.replacing && !m_flushed)
            files::finishReplacement(m_file, m_finalPath);
        m_flushed = true;
    } catch (...) {
        files::discard(m_file);
        throw;
    }
}

bool AtomicOutputFile::commit()
{
    flush();
    try {
        files::moveIntoPlace(m_file, m_finalPath);
        return m_file.replacing;
    } catch (...) {
        files::discard(m_file);
        throw;
    }
}

} // namespace velloran
