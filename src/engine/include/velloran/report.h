// SPDX-License-Identifier: GPL-3.0-or-later
// What the reports of a run (the window's and the command line's) share: the
// counts and the sections they show, built once from the run's results, and
// how they name a character. The window and the command line only put these
// into words.
#pragma once

#include "velloran/result.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velloran {

struct RunCounts
{
    std::size_t entries = 0;
    std::size_t converted = 0;
    // Left as they were, being already what the run would make of them; no
    // failure, but not listed in any section.
    std::size_t unchanged = 0;
    std::size_t cancelled = 0;
    // Everything else: failures, refusals and undecided entries alike.
    std::size_t failed() const { return entries - converted - unchanged - cancelled; }
};

// The kinds of section, in the order a report shows them.
enum class SectionKind
{
    CannotRead,
    CannotWrite,
    InvalidSource,
    Unrepresentable,
    SharedOutput,
    AlreadyUtf8,
    LooksLikeOther, // not converted: in place, the files look like another encoding
    Undecided,
    LooksLike, // converted, but the files look like another encoding
    Cancelled,
};

// One entry as a section lists it.
struct ReportLine
{
    std::size_t entry = 0; // its index in the list
    FileResult result;     // the entry's result
    // For SharedOutput: the listed entry in its way, or kNoEntry.
    std::size_t inTheWay = kNoEntry;
};

struct ReportSection
{
    SectionKind kind = SectionKind::CannotRead;
    std::string encoding; // for LooksLike and LooksLikeOther: the encoding the files look like
    std::vector<ReportLine> lines; // in list order, never empty
};

struct RunReport
{
    RunCounts counts;
    // The sections that have entries, in SectionKind order. There is one
    // LooksLike (and LooksLikeOther) section per encoding, in the order the
    // encodings first appear.
    std::vector<ReportSection> sections;
};

// The report of a run from its results, one per entry in list order, as
// executeRun() gives them: an entry that repeats an earlier entry's file
// already carries that entry's result, and is counted and listed with it.
RunReport makeRunReport(const std::vector<FileResult> &results);

// Whether a report must spell `character` as its code point ("U+200B")
// rather than show it: format and control characters, other default-ignorable
// code points, spaces other than U+0020, separators, combining marks alone,
// private-use, unassigned and out-of-range code points. The window and the
// command line both follow it.
bool isInvisibleCharacter(char32_t character);

// A character's code point as a report spells it: "U+00A0", "U+10FFFF".
std::string codePointName(char32_t character);

} // namespace velloran
