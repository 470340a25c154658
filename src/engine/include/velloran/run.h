// Runs: a list of inputs converted under one set of rules. The engine plans
// the whole run before touching any file, so the window and the command line
// follow exactly the same rules.
#pragma once

#include "velloran/convert.h"
#include "velloran/encoding.h"
#include "velloran/result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace velloran {

// Where each entry's output goes.
enum class OutputRule {
    IntoDirectory, // outputDirectory / the input's file name
    KeepTree,      // outputDirectory / the input's path relative to its base
                   // (missing subdirectories are created)
    InPlace,       // the input's own path: the output replaces the input; a
                   // file that would come out as it is stays (Outcome::Unchanged)
};

struct RunInput {
    std::filesystem::path path;
    // The directory the file was found under, for OutputRule::KeepTree. Empty
    // for a file given directly, which keeps only its file name.
    std::filesystem::path base = {};
};

struct RunOptions {
    // From resolveSource() and resolveEncoding(): the names were checked
    // when the options were made, before any file is touched.
    Encoding source;
    Encoding target;
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
    // Where an output replaces its own input, a file read from a legacy
    // Chinese source that confidently looks like the other family is refused
    // (LooksLikeOther): a wrong guess converted there cannot always be undone
    // (ICU's Big5 table writes ten of its codes back as others). Set, such
    // files are converted anyway, with the warning an output elsewhere gets.
    bool convertLookalikes = false;
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
// writes nothing.
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
// written (not in a dry run).
std::vector<FileResult> executeRun(const RunPlan &plan, const RunOptions &options);

// planRun then executeRun.
std::vector<FileResult> convertRun(const std::vector<RunInput> &inputs, const RunOptions &options);

// The number of CPUs this process may use: its affinity mask and any cgroup
// CPU quota, at least 1.
unsigned usableCpuCount();

} // namespace velloran
