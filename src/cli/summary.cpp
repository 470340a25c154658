#include "summary.h"

#include <unicode/utf8.h>

#include <cstdint>

namespace {

using velloran::FileResult;
using velloran::Outcome;
using velloran::ReportLine;
using velloran::ReportSection;
using velloran::SectionKind;

std::string heading(const ReportSection &section)
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
        return "These files would be written to the same place as an earlier file in the list, "
               "and were not converted:";
    case SectionKind::AlreadyUtf8:
        return "These files look like UTF-8 already, and were not converted:";
    case SectionKind::LooksLikeOther:
        return "These files would have replaced their own text, but look like " +
               section.encoding + " (--force converts them anyway):";
    case SectionKind::Undecided:
        return "The encoding of these files could not be detected, so they were not converted:";
    case SectionKind::LooksLike:
        return "These files were converted, but look like " + section.encoding + "; please check:";
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

std::string inputOf(const FinishedRun &run, std::size_t entry)
{
    return run.plan.entries.at(entry).input.native();
}

// What follows a file's name on its line: why it failed, or where.
std::string detail(const FinishedRun &run, const ReportLine &line)
{
    const FileResult &result = line.result;
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
        return line.inTheWay == velloran::kNoEntry ? "" : "same as " + inputOf(run, line.inTheWay);
    case Outcome::Undecided:
        return result.reason;
    case Outcome::LooksLikeOther:
        return "not converted: looks like " + result.likely;
    default:
        return {};
    }
}

std::string countsLine(const velloran::RunCounts &counts)
{
    std::string text = "Converted " + std::to_string(counts.converted) + ", failed " +
                       std::to_string(counts.failed());
    if (counts.cancelled > 0)
        text += ", cancelled " + std::to_string(counts.cancelled);
    return text + "\n";
}

} // namespace

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
        text += "Dry run: nothing was written. A run would do this:\n";
    text += countsLine(report.counts);
    // Every section after a blank line; a line per file, its detail in parentheses.
    for (const ReportSection &section : report.sections) {
        text += "\n" + heading(section) + "\n";
        for (const ReportLine &line : section.lines) {
            const std::string why = detail(run, line);
            text += inputOf(run, line.entry) + (why.empty() ? "" : " (" + why + ")") + "\n";
        }
    }
    return text;
}
