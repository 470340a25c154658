// The temporary output of one file, which a conversion that has to start over
// throws away and begins anew: what was written before restart() never
// reaches the final name.
#pragma once

#include "atomic_output_file.h"

#include <filesystem>
#include <optional>

namespace velloran {

class RestartableOutput : public ByteSink
{
public:
    explicit RestartableOutput(std::filesystem::path finalPath) : m_finalPath(std::move(finalPath))
    {
        m_file.emplace(m_finalPath);
    }

    void write(const char *bytes, std::size_t count) override { m_file->write(bytes, count); }

    // Removes the temporary file and creates an empty one.
    void restart()
    {
        m_file.reset();
        m_file.emplace(m_finalPath);
    }

    // See AtomicOutputFile::commit().
    bool commit() { return m_file->commit(); }

private:
    std::filesystem::path m_finalPath;
    std::optional<AtomicOutputFile> m_file;
};

} // namespace velloran
