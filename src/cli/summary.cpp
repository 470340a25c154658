// SPDX-License-Identifier: GPL-3.0-or-later
#include "summary.h"

#include "run_inputs.h"
#include "system.h"
#include "text_bytes.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

namespace {

// A long list of cancelled files names this many; --json and -v name them all.
constexpr std::size_t kCancelledShown = 20;

using velloran::FileResult;
using velloran::Outcome;
using velloran::ReportLine;
using velloran::ReportSection;
using velloran::SectionKind;

std::string heading(const ReportSection &section, bool dryRun)
{
    switch (section.kind) {
    case SectionKind::CannotRead:
        return "These files cannot be read:";
    case SectionKind::CannotWrite:
        return "These files cannot be written:";
    case SectionKind::InvalidSource:
        return "These files hold bytes that are not valid in the source encoding:";
    case SectionKind::Unrepresentable:
        return "These files hold characters that the target encoding cannot represent:";
    case SectionKind::SharedOutput:
        return "These files were not converted, since each would be written where another file "
               "in the list is read or written, and that one keeps the place:";
    case SectionKind::AlreadyUtf8:
        return "These files look like UTF-8 already, and were not converted:";
    case SectionKind::LooksLikeOther:
        return "These files would have replaced their own text, but look like " + section.encoding +
               " (--force converts them anyway):";
    case SectionKind::Undecided:
        return "The encoding of these files could not be detected, so they were not converted:";
    case SectionKind::LooksLike:
        return std::string(dryRun ? "These files would be converted"
                                  : "These files were converted") +
               ", but look like " + section.encoding + "; please check:";
    case SectionKind::Cancelled:
        return "These files were not converted because the run was cancelled:";
    }
    return {};
}

std::string utf8(char32_t character)
{
    std::uint8_t bytes[U8_MAX_LENGTH];
    std::int32_t length = 0;
    bool invalid = false;
    U8_APPEND(bytes, length, U8_MAX_LENGTH, character, invalid);
    if (invalid)
        return {};
    return std::string(reinterpret_cast<const char *>(bytes), std::size_t(length));
}

// "Converted 3, unchanged 2, failed 1, cancelled 4"; in a dry run, what a run
// would do: "Would convert 3, leave 2 unchanged, fail 1; cancelled 4".
std::string countsLine(const velloran::RunCounts &counts, bool dryRun)
{
    const auto number = [](std::size_t count) { return std::to_string(count); };
    std::string text = dryRun ? "Would convert " + number(counts.converted)
                              : "Converted " + number(counts.converted);
    if (counts.unchanged > 0)
        text += dryRun ? ", leave " + number(counts.unchanged) + " unchanged"
                       : ", unchanged " + number(counts.unchanged);
    text += (dryRun ? ", fail " : ", failed ") + number(counts.failed());
    if (counts.cancelled > 0)
        text += (dryRun ? "; cancelled " : ", cancelled ") + number(counts.cancelled);
    return text + "\n";
}

// A section's lines, a file's detail in parentheses; of many cancelled
// files, the first few and how many more.
std::string sectionLines(const FinishedRun &run, const ReportSection &section)
{
    const bool cut = section.kind == SectionKind::Cancelled;
    const std::size_t shown =
        cut ? std::min(section.lines.size(), kCancelledShown) : section.lines.size();
    std::string text;
    for (std::size_t i = 0; i < shown; ++i) {
        const ReportLine &line = section.lines[i];
        const std::string why = resultDetail(run.plan, line.result);
        text += shownInput(run.plan, line.entry) + (why.empty() ? "" : " (" + why + ")") + "\n";
    }
    if (shown < section.lines.size())
        text += "... and " + std::to_string(section.lines.size() - shown) +
                " more (--json and -v list them all)\n";
    return text;
}

} // namespace

std::string shownInput(const velloran::RunPlan &plan, std::size_t entry)
{
    return nameText(plan.entries.at(entry).input);
}

std::string resultDetail(const velloran::RunPlan &plan, const FileResult &result)
{
    const std::string where = "line " + std::to_string(result.line);
    switch (result.outcome) {
    case Outcome::CannotRead:
    case Outcome::CannotWrite:
        return result.message;
    case Outcome::InvalidSource:
        return result.likely.empty() ? where : where + "; maybe " + result.likely;
    case Outcome::Unrepresentable:
        return where + ": " + visibleCharacter(result.character);
    case Outcome::SharedOutput:
        return result.sameAs < plan.entries.size()
                   ? "the place of " + shownInput(plan, result.sameAs)
                   : "";
    case Outcome::Undecided:
        return result.reason;
    case Outcome::LooksLikeOther:
        return "not converted: looks like " + result.likely;
    default:
        return {};
    }
}

std::string visibleCharacter(char32_t character)
{
    // The window's rule; the command spells out a plain space as well, which
    // is easily misread between quotation marks in a terminal.
    if (character != U' ' && !velloran::isInvisibleCharacter(character))
        return "\"" + utf8(character) + "\"";
    return velloran::codePointName(character);
}

std::string summaryText(const FinishedRun &run, const velloran::RunReport &report)
{
    std::string text;
    if (run.dryRun)
        text += "Dry run: nothing was written.\n";
    text += countsLine(report.counts, run.dryRun);
    // Every section after a blank line.
    for (const ReportSection &section : report.sections)
        text += "\n" + heading(section, run.dryRun) + "\n" + sectionLines(run, section);
    if (!run.unreadableDirectories.empty()) {
        text += "\nThese directories cannot be read, so the files in them were not searched:\n";
        for (const velloran::UnreadableDirectory &directory : run.unreadableDirectories)
            text += unreadableDirectoryLine(directory) + "\n";
    }
    return text;
}
