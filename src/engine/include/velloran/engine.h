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
//    file is replaced whole or not at all, and keeps its mode, owner and group
//    (where permitted; setuid and setgid only with them) and extended
//    attributes, ACLs included. The temporary file is private to its owner
//    until it has the old file's mode. This also makes converting a file onto
//    itself safe.
//  - Streaming: files are converted in chunks, so memory does not grow with
//    file size.
//  - Byte-order marks: an input that starts with a UTF-8, UTF-16 LE/BE or
//    UTF-32 LE/BE mark is decoded in the encoding the mark names, whatever the
//    chosen source, and the mark is not part of the text. "UTF-16" and "UTF-32"
//    without a mark mean little-endian. As a target, "UTF-16" and "UTF-32" are
//    written little-endian with a mark; every other encoding without one.
//  - Line ends are kept exactly as they are.
//  - Knowing the source. The source may be kDetectEncoding ("detect"): each
//    file is then converted from the encoding detectEncoding() finds, and one
//    it cannot decide on is refused as Undecided. With a legacy Chinese
//    source (GB18030, GBK, GB2312 or Big5, by any name ICU gives them) and no
//    byte-order mark, guards watch for a wrong choice:
//     - a file that is valid UTF-8 with a character at U+0800 or above (every
//       Han character is one) is refused as AlreadyUtf8;
//     - a converted file that the detector is confident (above 50) belongs to
//       the other family, GB18030 or Big5, and that decodes strictly in it too,
//       gets that family in FileResult::likely. The user can undo it exactly:
//       converting the output back to the chosen source gives the very bytes
//       that were read, which can then be converted from the right one.
//    With any source, a file that does not decode gets in FileResult::likely
//    an encoding it decodes in strictly, when there is one. The checks look
//    at the file's first 64 KiB and read the rest only when that says a file
//    needs it.
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
    // Refused by a run's plan or its guards; nothing is written for these:
    SharedOutput,    // an earlier entry writes the same output path, or this entry's
                     // output is another listed entry's file (FileResult::sameAs names it)
    AlreadyUtf8,     // a legacy source (GB18030, GBK, GB2312, Big5) was chosen, but the
                     // file is valid UTF-8 with characters at U+0800 and above
    Undecided,       // the source was "detect" and no encoding could be decided
                     // (FileResult::reason says why)
};

// No entry: the value of FileResult::sameAs when it names none.
inline constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

struct FileResult {
    Outcome outcome = Outcome::Converted;
    // For InvalidSource and Unrepresentable: the 1-based line of the first
    // error, counted in the decoded text (line feeds before it, plus one).
    std::uint64_t line = 0;
    // For Unrepresentable: the first character that cannot be represented.
    char32_t character = 0;
    // For CannotRead and CannotWrite: the system's description, for diagnostics.
    std::string message;
    // The encoding the file was read in, or refused for (AlreadyUtf8): the
    // chosen one as named, the one its byte-order mark names, or the detected
    // one. Empty when the file was not read, and for Undecided.
    std::string encoding;
    // A second opinion (see "Knowing the source" above). For InvalidSource:
    // an encoding in which the whole file decodes strictly (a hint for the
    // user). For Converted from a legacy Chinese source: the other Chinese
    // family ("GB18030" or "Big5") the file confidently looks like and also
    // decodes in. Empty otherwise.
    std::string likely;
    // For Undecided: why, such as "too short" or "GB18030 and Big5 both possible".
    std::string reason;
    // For SharedOutput: the earlier entry in the way. For an entry that repeats
    // an earlier entry's file: that entry, whose result this one shares.
    std::size_t sameAs = kNoEntry;
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

// True when ICU resolves `name` to a converter. kDetectEncoding is no
// encoding: false for it, though a source may be it.
bool isKnownEncoding(std::string_view name);

inline constexpr std::size_t kDefaultChunkSize = 1 << 20;
inline constexpr std::size_t kDefaultPieceSize = 512 << 10;
inline constexpr std::uint64_t kDefaultParallelFrom = 16 << 20;

// Settings that trade memory for speed, shared by one file and a whole run.
struct Tuning {
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

struct ConvertOptions {
    std::string sourceEncoding;
    std::string targetEncoding;
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
};

// The output path of `input` in `outputDirectory`: the directory and the input's
// file name joined by exactly one separator, whatever the directory text ends with.
std::filesystem::path outputPathFor(const std::filesystem::path &outputDirectory,
                                    const std::filesystem::path &input);

// Converts `input` into `output` following the rules above; the source may
// be kDetectEncoding. Throws UnknownEncoding if either name does not resolve.
FileResult convertFile(const std::filesystem::path &input, const std::filesystem::path &output,
                       const ConvertOptions &options);

// ---------------------------------------------------------------------------
// Directory scan, the one behind adding a directory and dropping one.

struct ScanOptions {
    // How many levels of subdirectories are searched: -1 the whole tree, 0 the
    // directory alone (as does any other negative value), n that many levels.
    int depth = 0;
    // File name suffixes to match (the bytes after the last "." of the name,
    // without the dot), exactly, case included. An empty suffix matches names
    // without one. A file matches when any suffix matches; no suffix matches nothing.
    std::vector<std::string> suffixes;
};

// The files under `directory` whose suffix matches: the directory's own files
// first, in name order ignoring case, then subdirectory by subdirectory in
// the same order, each with its whole subtree. Every path is `directory` as
// given, then "/"-separated names; names are carried as the file system's
// bytes. Hidden files and directories are left out, and so is anything that
// is neither a regular file nor a directory (links count as what they lead
// to). A directory link that leads back to a directory being searched is not
// followed again. A directory that cannot be read lists as empty.
std::vector<std::filesystem::path> findFiles(const std::filesystem::path &directory,
                                             const ScanOptions &options);

// Whether the file name of `file` has the suffix `suffix` (see ScanOptions).
bool hasSuffix(const std::filesystem::path &file, std::string_view suffix);

// ---------------------------------------------------------------------------
// Detection of a file's source encoding.

// The source name that asks the engine to detect each file's encoding.
inline constexpr std::string_view kDetectEncoding = "detect";

struct Detection {
    // "UTF-8", "UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE", "GB18030" or
    // "Big5"; empty when undecided.
    std::string encoding;
    // For an undecided file: why.
    std::string reason;
    // How sure: 100 for a byte-order mark and the UTF rules, otherwise the
    // confidence of ICU's detector (0 to 100).
    int confidence = 0;
};

// Detects the encoding of the file at `path`. A file that cannot be read is
// undecided with the reason "cannot be read".
Detection detectEncoding(const std::filesystem::path &path);

// ---------------------------------------------------------------------------
// Runs: a list of inputs converted under one set of rules. The engine plans
// the whole run before touching any file, so the window and the command line
// follow exactly the same rules.

// Where each entry's output goes.
enum class OutputRule {
    IntoDirectory, // outputDirectory / the input's file name
    KeepTree,      // outputDirectory / the input's path relative to its base
                   // (missing subdirectories are created)
    InPlace,       // the input's own path: the output replaces the input
};

struct RunInput {
    std::filesystem::path path;
    // The directory the file was found under, for OutputRule::KeepTree. Empty
    // for a file given directly, which keeps only its file name.
    std::filesystem::path base = {};
};

struct RunOptions {
    // An encoding name ICU resolves; the source may also be kDetectEncoding.
    std::string sourceEncoding;
    std::string targetEncoding;
    OutputRule outputRule = OutputRule::IntoDirectory;
    // For IntoDirectory and KeepTree.
    std::filesystem::path outputDirectory;
    // Files converted (and, when planning, looked up) at once; 0 means one
    // per CPU the process may use.
    unsigned workers = 0;
    Tuning tuning;
    // Everything but writing: every entry the plan would convert is read,
    // detected, guarded and converted with ConvertOptions::discardOutput, so
    // its result is the one a real run would give (Converted, InvalidSource
    // with its line, Unrepresentable with its line and character, Undecided
    // with its reason, AlreadyUtf8, CannotRead, the likely encoding...), and
    // the plan's refusals and repeats come back as in a real run. Nothing is
    // created, written or renamed: no temporary file, no output folder.
    // What writing alone would tell is not known: no entry comes back
    // CannotWrite, even when its output folder is missing or read-only, or the
    // disk is full. (Asking the system whether a folder is writable would not
    // say what a run does either: the command line makes a missing output
    // folder only when it runs for real, and permissions, read-only mounts
    // and free space can all change before it does.)
    bool dryRun = false;
    // When set, files in progress are abandoned and the rest are not started;
    // all of them come back as Cancelled.
    const std::atomic<bool> *cancel = nullptr;
    // Optional observers, called from worker threads (they must be
    // thread-safe). onFileFinished comes once for every entry, planned-out and
    // cancelled ones included; onFileStarted only for those started.
    std::function<void(std::size_t index)> onFileStarted;
    std::function<void(std::size_t index, const FileResult &result)> onFileFinished;
    std::function<void(std::size_t index, std::uint64_t done, std::uint64_t total)> onBytes;
};

// What one entry will do.
struct PlannedEntry {
    enum class Action {
        Convert,      // convert input into output
        Repeat,       // the same file as entry `sameAs`: takes its result
        SharedOutput, // refused: in the way of entry `sameAs` (see Outcome)
    };
    Action action = Action::Convert;
    std::filesystem::path input;
    std::filesystem::path output;
    std::size_t sameAs = kNoEntry;
};

struct RunPlan {
    std::vector<PlannedEntry> entries; // one per input, in input order
};

// Plans a run; reads metadata (to tell the same file however spelled) but
// writes nothing. Throws UnknownEncoding if a name does not resolve.
// A file is known by its identity (device and inode) when it exists, else by
// its directory's identity (or, for a directory not made yet, its canonical
// path) and its name; so links, "." and ".." do not hide a repeat. In list
// order:
//  - an entry whose file an earlier entry has already is a Repeat of it;
//  - an entry whose output an earlier entry writes, or whose output is the
//    file of any other entry (earlier or later), is refused (SharedOutput):
//    nothing is converted twice, and no listed file is overwritten by the
//    conversion of another one;
//  - every other entry is converted. Their inputs and outputs are pairwise
//    different files, so they may all run at once.
RunPlan planRun(const std::vector<RunInput> &inputs, const RunOptions &options);

// Converts a plan, all its Convert entries at once. Results come back in
// input order, one per entry: a Repeat gets its first entry's result with
// `sameAs` naming it, a refused entry SharedOutput with `sameAs` naming the
// entry in its way, and an entry not converted because of a cancel Cancelled.
// For KeepTree, missing folders of an output are made just before it is
// written (not in a dry run). Throws UnknownEncoding before touching any file.
std::vector<FileResult> executeRun(const RunPlan &plan, const RunOptions &options);

// planRun then executeRun.
std::vector<FileResult> convertRun(const std::vector<RunInput> &inputs, const RunOptions &options);

// Whether a report must spell `character` as its code point ("U+200B")
// rather than show it: format and control characters, other default-ignorable
// code points, spaces other than U+0020, separators, combining marks alone,
// private-use, unassigned and out-of-range code points. The window and the
// command line both follow it.
bool isInvisibleCharacter(char32_t character);

// The number of CPUs this process may use: its affinity mask and any cgroup
// CPU quota, at least 1.
unsigned usableCpuCount();

} // namespace velloran
