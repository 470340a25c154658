// SPDX-License-Identifier: GPL-3.0-or-later
// Converting one file.
#pragma once

#include "velloran/encoding.h"
#include "velloran/result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace velloran {

inline constexpr std::size_t kDefaultChunkSize = 1 << 20;
inline constexpr std::size_t kDefaultPieceSize = 512 << 10;
inline constexpr std::uint64_t kDefaultParallelFrom = 16 << 20;

// Settings that trade memory for speed, shared by one file and a whole run.
struct Tuning
{
    // Bytes read per step. Tests make it tiny to split characters between chunks.
    // 0 means kDefaultChunkSize; steps are at most 256 MiB whatever is asked.
    std::size_t chunkSize = kDefaultChunkSize;
    // A file of at least `parallelFrom` bytes, in an encoding where a line
    // feed's bytes can only be a line feed (UTF-8, GB18030, GBK, GB2312, Big5,
    // UTF-16, UTF-32), may be cut into pieces of about `pieceSize` bytes at
    // line feeds and converted on several threads; the result, the output and
    // the reported error are exactly those of one thread. Tests make both
    // sizes tiny; pieceSize 0 means kDefaultPieceSize.
    std::uint64_t parallelFrom = kDefaultParallelFrom;
    std::size_t pieceSize = kDefaultPieceSize;
};

struct ConvertOptions
{
    // From resolveSource(): an encoding, or detection.
    Encoding source;
    // From resolveEncoding().
    Encoding target;
    Tuning tuning;
    // Checked between chunks; when set, the file is abandoned as Cancelled and its
    // temporary output removed.
    const std::atomic<bool> *cancel = nullptr;
    // Optional: bytes of the input consumed so far, and the input's size.
    std::function<void(std::uint64_t done, std::uint64_t total)> onBytes;
    // Threads for one file: a file that Tuning allows to be cut into pieces is
    // converted on that many threads.
    unsigned workers = 1;
    // Check only: the file is read, its source chosen and guarded, and it is
    // converted strictly as always, but the converted bytes are dropped; the
    // output path is not touched and no temporary file is made. The result is
    // the one a real conversion would give, except that writing is not tried:
    // it never comes back CannotWrite, and Converted means "would be".
    bool discardOutput = false;
    // Makes the output's missing folders just before writing it (a run that
    // keeps a tree); a failure to make them is CannotWrite.
    bool makeOutputFolders = false;
    // The output replaces the input, whose bytes are then gone: a file read
    // from a legacy Chinese source that confidently looks like the other
    // family is refused (LooksLikeOther) rather than converted with a warning.
    bool refuseLookalikes = false;
    // The output replaces the input: a file that would be written back with
    // its very bytes is left as it is (Unchanged), not rewritten. So is one
    // refused as AlreadyUtf8 when the target is UTF-8 without a mark, which
    // would write it back as it is.
    bool leaveIdenticalAlone = false;
};

// Converts `input` into `output` following the rules in engine.h. Every way
// a file can fail comes back in the result; what throws is a programming
// error (options not made by resolving names) or exhausted memory.
[[nodiscard]] FileResult convertFile(const std::filesystem::path &input,
                                     const std::filesystem::path &output,
                                     const ConvertOptions &options);

} // namespace velloran
