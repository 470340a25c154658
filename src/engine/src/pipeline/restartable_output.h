// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary output of one file, which a conversion that has to start over
// throws away and begins anew: what was written before restart() never
// reaches the final name. A discarding output (a conversion that only
// checks, see ConvertOptions::discardOutput) creates no file at all and
// drops every byte.
// An output that replaces its own input can compare what is written with the
// input's bytes: its temporary file is made only at the first difference
// (with the bytes that were the same up to there), so a conversion that gives
// back the input's very bytes writes nothing at all.
#pragma once

#include "codec/byte_sink.h"
#include "files/atomic_output_file.h"
#include "files/input_file.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace velloran {

class RestartableOutput : public ByteSink
{
public:
    // With `replaced`, the bytes are compared with that file's.
    RestartableOutput(std::filesystem::path finalPath, bool discard, InputFile *replaced = nullptr);

    void write(const char *bytes, std::size_t count) override;

    // Removes the temporary file and starts again from nothing.
    void restart();

    // Whether every byte written so far was the replaced file's, and all of
    // it: the output would be the input as it is.
    bool sameAsReplaced() const;

    // Flushes the output, then moves it into place unless `cancel` is set by
    // then, the last moment a cancel can still leave the final name as it
    // was (see AtomicOutputFile). False when cancelled: nothing was committed.
    [[nodiscard]] bool commitUnlessCancelled(const std::atomic<bool> *cancel);

private:
    void open();
    // True when the next `count` bytes of the replaced file are `bytes`.
    bool continuesReplaced(const char *bytes, std::size_t count);
    // Stops comparing: the file is made, with the bytes that were the same.
    void diverge();

    std::filesystem::path m_finalPath;
    bool m_discard;
    std::optional<AtomicOutputFile> m_file;
    InputFile *m_replaced;
    // While comparing: how many bytes matched the replaced file's.
    bool m_comparing = false;
    std::uint64_t m_matched = 0;
    std::string m_scratch;
};

} // namespace velloran
