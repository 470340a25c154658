// Velloran conversion engine: converts text files from one character encoding
// to another, strictly and safely. No Qt: the window, the tests and the
// benchmarks all use this one API.
//
// Rules every conversion follows:
//  - Strict: bytes that are invalid in the source encoding (a truncated
//    character at the end of the file included) and characters that the target
//    encoding cannot represent make the file fail; nothing is replaced or
//    dropped silently.
//  - Atomic: output goes to a temporary file in the output directory and is
//    renamed onto its final name only when complete; when it replaces an
//    existing file, only once flushed to disk. A
//    failed, cancelled or interrupted file leaves no partial output; an existing
//    file is replaced whole or not at all, and keeps its permissions. This also
//    makes converting a file onto itself safe.
//  - Streaming: files are converted in chunks, so memory does not grow with
//    file size.
//  - Byte-order marks: an input that starts with a UTF-8, UTF-16 LE/BE or
//    UTF-32 LE/BE mark is decoded in the encoding the mark names, whatever the
//    chosen source, and the mark is not part of the text. "UTF-16" and "UTF-32"
//    without a mark mean little-endian. As a target, "UTF-16" and "UTF-32" are
//    written little-endian with a mark; every other encoding without one.
//  - Line ends are kept exactly as they are.
//  - Encoding names are resolved by ICU; the engine keeps no table of its own.
//    The lookup tables that speed up GB18030, GBK, Big5 and the like are filled
//    at run time by asking ICU, and whatever they do not hold goes to ICU.
//  - Speed: one large file may be converted on several threads (see
//    ConvertOptions::workers) with exactly the result of one thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

// What happened to one file.
enum class Outcome {
    Converted,       // output written completely and moved into place
    CannotRead,      // input missing, not a regular file, or a read error
    CannotWrite,     // output could not be created, written, flushed or renamed
    InvalidSource,   // bytes that are not valid in the source encoding
    Unrepresentable, // a character that the target encoding cannot represent
    Cancelled,       // not converted because the run was cancelled
};

struct FileResult {
    Outcome outcome = Outcome::Converted;
    // For InvalidSource and Unrepresentable: the 1-based line of the first
    // error, counted in the decoded text (line feeds before it, plus one).
    std::uint64_t line = 0;
    // For Unrepresentable: the first character that cannot be represented.
    char32_t character = 0;
    // For CannotRead and CannotWrite: the system's description, for diagnostics.
    std::string message;
};

// Thrown when ICU cannot resolve an encoding name. A run never falls back to
// another encoding.
class UnknownEncoding : public std::runtime_error
{
public:
    explicit UnknownEncoding(std::string name);
    const std::string &name() const { return m_name; }

private:
    std::string m_name;
};

// True when ICU resolves `name` to a converter.
bool isKnownEncoding(std::string_view name);

inline constexpr std::size_t kDefaultChunkSize = 1 << 20;
inline constexpr std::size_t kDefaultPieceSize = 512 << 10;
inline constexpr std::uint64_t kDefaultParallelFrom = 16 << 20;

struct ConvertOptions {
    std::string sourceEncoding;
    std::string targetEncoding;
    // Bytes read per step. Tests make it tiny to split characters between chunks.
    // 0 means kDefaultChunkSize; steps are at most 256 MiB whatever is asked.
    std::size_t chunkSize = kDefaultChunkSize;
    // Checked between chunks; when set, the file is abandoned as Cancelled and its
    // temporary output removed.
    const std::atomic<bool> *cancel = nullptr;
    // Optional: bytes of the input consumed so far, and the input's size.
    std::function<void(std::uint64_t done, std::uint64_t total)> onBytes;
    // Threads for one file. A file of at least `parallelFrom` bytes, in an
    // encoding where a line feed's bytes can only be a line feed (UTF-8, GB18030,
    // GBK, GB2312, Big5, UTF-16, UTF-32), is cut into pieces of about `pieceSize`
    // bytes at line feeds and converted on that many threads; the result, the
    // output and the reported error are exactly those of one thread. Tests make
    // both sizes tiny; pieceSize 0 means kDefaultPieceSize.
    unsigned workers = 1;
    std::uint64_t parallelFrom = kDefaultParallelFrom;
    std::size_t pieceSize = kDefaultPieceSize;
};

// The output path of `input` in `outputDirectory`: the directory and the input's
// file name joined by exactly one separator, whatever the directory text ends with.
std::filesystem::path outputPathFor(const std::filesystem::path &outputDirectory,
                                    const std::filesystem::path &input);

// Converts `input` into `output` following the rules above.
// Throws UnknownEncoding if either name does not resolve.
FileResult convertFile(const std::filesystem::path &input, const std::filesystem::path &output,
                       const ConvertOptions &options);

struct BatchOptions {
    std::string sourceEncoding;
    std::string targetEncoding;
    std::filesystem::path outputDirectory;
    // Number of files converted at once; 0 means one per hardware thread.
    // Workers that would have no file of their own share the large files
    // (see ConvertOptions::workers).
    unsigned workers = 0;
    std::size_t chunkSize = kDefaultChunkSize;
    std::uint64_t parallelFrom = kDefaultParallelFrom;
    std::size_t pieceSize = kDefaultPieceSize;
    // When set, files in progress are abandoned and the rest are not started;
    // all of them come back as Cancelled.
    const std::atomic<bool> *cancel = nullptr;
    // Optional observers, called from worker threads (they must be thread-safe).
    // onFileFinished comes once for every input, also for those that were never
    // started because of a cancellation; onFileStarted only for those started.
    std::function<void(std::size_t index)> onFileStarted;
    std::function<void(std::size_t index, const FileResult &result)> onFileFinished;
    std::function<void(std::size_t index, std::uint64_t done, std::uint64_t total)> onBytes;
};

// Converts every input into the output directory. Results come back in input
// order, and are exactly those of converting the inputs one after another:
// inputs whose outputs share a path are converted in input order, so the later
// one wins; an input listed twice is converted twice.
// Throws UnknownEncoding (before touching any file) if either name does not resolve.
std::vector<FileResult> convertBatch(const std::vector<std::filesystem::path> &inputs,
                                     const BatchOptions &options);

} // namespace velloran
