// SPDX-License-Identifier: GPL-3.0-or-later
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
enum class OutputRule
{
    IntoDirectory, // outputDirectory / the input's file name
    KeepTree,      // outputDirectory / the input's path relative to its base
                   // (missing subdirectories are created)
    InPlace,       // the input's own path: the output replaces the input; a
                   // file that would come out as it is stays (Outcome::Unchanged)
};

struct RunInput
{
    std::filesystem::path path;
    // The directory the file was found under, for OutputRule::KeepTree. Empty
    // for a file given directly, which keeps only its file name.
    std::filesystem::path base = {};
};

struct RunOptions
{
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
struct PlannedEntry
{
    enum class Action
    {
        Convert,      // convert input into output
        Repeat,       // the same file into the same place as entry `sameAs`: takes its result
        SharedOutput, // refused: in the way of entry `sameAs` (see Outcome)
    };
    Action action = Action::Convert;
    std::filesystem::path input;
    std::filesystem::path output;
    std::size_t sameAs = kNoEntry;
    // For Convert: the entry that must be finished before this one starts,
    // or kNoEntry. Set where entries read one file through names that some
    // of them replace: the readers go first. No two entries wait for the
    // same one, so each waiting entry is part of one chain.
    std::size_t after = kNoEntry;
    // The output is the input's own name (in place, or into the input's own
    // folder): the conversion replaces the file it reads.
    bool replacesInput = false;
};

struct RunPlan
{
    std::vector<PlannedEntry> entries; // one per input, in input order
};

// Plans a run; reads metadata (which file each path names, where links
// lead) but writes nothing.
//
// Writing an output replaces a name in a directory, never the file behind
// it. So the plan compares places: a place is a directory, known by its
// identity (or, not made yet, its canonical path), and a name in it, so
// that ".", ".." and links to folders do not hide that two paths name one
// place. An entry writes one place, its output, and reads through one or
// more: its input's name and, while that is a symbolic link, each place the
// link leads to. Two entries read the same file when their inputs have one
// identity (device and inode) or, missing, one place. In list order:
//  - an entry that reads the same file as an earlier entry and writes the
//    same place is a Repeat of it: it writes nothing of its own and shares
//    that entry's result, which is then true of its output too. In place
//    that is the same path however spelled, never another name of the file;
//  - an entry is refused (SharedOutput) when an earlier converted entry
//    writes its place from another file, or when its place is on the way of
//    any other entry's input (earlier or later) and is not its own input's
//    name: no listed name is replaced by another entry's conversion, and no
//    entry reads what another one writes;
//  - every other entry is converted to its own output. They write pairwise
//    different places, so they may all run at once, but for one case: an
//    entry converted where it reads (in place, or into its own folder)
//    whose name others read through (a link to it, or the same name converted
//    elsewhere) waits for them (PlannedEntry::after), so that they read the
//    old text, as it does.
// So, for one file under several names:
//  - one path listed twice, or as "a.txt" and "./a.txt": converted once, the
//    second entry a Repeat;
//  - a hard link and its original, or a symbolic link and its file, into a
//    folder: each converted to its own output from the same text; under the
//    same name from two folders: one output, the second entry a Repeat;
//  - two hard links in place: each name replaced by its own conversion (the
//    second still holds the old text when the first is replaced);
//  - a symbolic link and its file in place: the link is read first and
//    becomes a regular file with the converted text, then the file is
//    converted.
[[nodiscard]] RunPlan planRun(const std::vector<RunInput> &inputs, const RunOptions &options);

// Converts a plan, all its Convert entries at once but for those that wait
// for another (PlannedEntry::after). Results come back in input order, one
// per entry: a Repeat gets its first entry's result with `sameAs` naming it,
// a refused entry SharedOutput with `sameAs` naming the entry in its way, and
// an entry not converted because of a cancel Cancelled.
// For KeepTree, missing folders of an output are made just before it is
// written (not in a dry run).
[[nodiscard]] std::vector<FileResult> executeRun(const RunPlan &plan, const RunOptions &options);

// planRun then executeRun.
[[nodiscard]] std::vector<FileResult> convertRun(const std::vector<RunInput> &inputs,
                                                 const RunOptions &options);

// The number of CPUs this process may use: its affinity mask and any cgroup
// CPU quota, at least 1.
unsigned usableCpuCount();

} // namespace velloran
