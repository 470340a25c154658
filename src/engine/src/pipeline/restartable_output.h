// The temporary output of one file, which a conversion that has to start over
// throws away and begins anew: what was written before restart() never
// reaches the final name. A discarding output (a conversion that only
// checks, see ConvertOptions::discardOutput) creates no file at all and
// drops every byte.
#pragma once

#include "codec/byte_sink.h"
#include "files/atomic_output_file.h"

#include <filesystem>
#include <optional>

namespace velloran {

class RestartableOutput : public ByteSink
{
public:
    RestartableOutput(std::filesystem::path finalPath, bool discard)
        : m_finalPath(std::move(finalPath)), m_discard(discard)
    {
        open();
    }

    void write(const char *bytes, std::size_t count) override
    {
        if (m_file)
            m_file->write(bytes, count);
    }

    // Removes the temporary file and creates an empty one.
    void restart()
    {
        m_file.reset();
        open();
    }

    // See AtomicOutputFile::commit(); false when discarding.
    bool commit() { return m_file && m_file->commit(); }

private:
    void open()
    {
        if (!m_discard)
            m_file.emplace(m_finalPath);
    }

    std::filesystem::path m_finalPath;
    bool m_discard;
    std::optional<AtomicOutputFile> m_file;
};

} // namespace velloran
