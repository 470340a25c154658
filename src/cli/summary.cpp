#include "summary.h"

#include "velloran/report.h"

#include <algorithm>
#include <vector>

namespace {

using velloran::FileResult;
using velloran::Outcome;

struct Section {
    std::string heading;
    std::vector<std::string> lines;
};

// The sections in the window's order, the files that look like another
// encoding coming before the cancelled ones. The window has no section for
// undecided files, which only "detect" produces.
enum SectionId {
    ReadFailed,
    WriteFailed,
    InvalidSource,
    Unrepresentable,
    SharedOutput,
    AlreadyUtf8,
    Undecided,
    Cancelled,
};

std::vector<Section> emptySections()
{
    return {
        {"These files cannot be read:", {}},
        {"These files cannot be written:", {}},
        {"These files hold bytes that are not valid in the source encoding:", {}},
        {"These files hold characters that the target encoding cannot represent:", {}},
        {"These files would be written to the same place as an earlier file in the list, and "
         "were not converted:",
         {}},
        {"These files look like UTF-8 already, and were not converted:", {}},
        {"The encoding of these files could not be detected, so they were not converted:", {}},
        {"These files were not converted because the run was cancelled:", {}},
    };
}

std::string utf8(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

std::string withDetail(const std::string &path, const std::string &detail)
{
    return detail.empty() ? path : path + " (" + detail + ")";
}

// Puts one entry's line into its section; returns false for a converted entry.
bool sortEntry(std::vector<Section> &sections, const RunReport &report, std::size_t index)
{
    const FileResult &result = report.results[index];
    const std::string path = report.plan.entries[index].input.native();
    const std::string line = "line " + std::to_string(result.line);
    switch (result.outcome) {
    case Outcome::Converted:
        return false;
    case Outcome::CannotRead:
        sections[ReadFailed].lines.push_back(withDetail(path, result.message));
        break;
    case Outcome::CannotWrite:
        sections[WriteFailed].lines.push_back(withDetail(path, result.message));
        break;
    case Outcome::InvalidSource:
        sections[InvalidSource].lines.push_back(withDetail(
            path, result.likely.empty() ? line : line + "; maybe " + result.likely));
        break;
    case Outcome::Unrepresentable:
        sections[Unrepresentable].lines.push_back(
            withDetail(path, line + ": " + visibleCharacter(result.character)));
        break;
    case Outcome::SharedOutput: {
        const bool named = result.sameAs < report.plan.entries.size();
        sections[SharedOutput].lines.push_back(withDetail(
            path, named ? "same as " + report.plan.entries[result.sameAs].input.native() : ""));
        break;
    }
    case Outcome::AlreadyUtf8:
        sections[AlreadyUtf8].lines.push_back(path);
        break;
    case Outcome::Undecided:
        sections[Undecided].lines.push_back(withDetail(path, result.reason));
        break;
    case Outcome::Cancelled:
        sections[Cancelled].lines.push_back(path);
        break;
    }
    return true;
}

std::string countsLine(const RunCounts &counts)
{
    std::string text = "Converted " + std::to_string(counts.converted) + ", failed " +
                       std::to_string(counts.failed());
    if (counts.cancelled > 0)
        text += ", cancelled " + std::to_string(counts.cancelled);
    return text + "\n";
}

void appendSection(std::string &text, const std::string &heading,
                   const std::vector<std::string> &lines)
{
    if (lines.empty())
        return;
    text += "\n" + heading + "\n";
    for (const std::string &line : lines)
        text += line + "\n";
}

} // namespace

std::string visibleCharacter(char32_t character)
{
    // The window's rule; the command spells out a plain space as well, which
    // is easily misread between quotation marks in a terminal.
    if (character != U' ' && !velloran::isInvisibleCharacter(character))
        return "\"" + utf8(character) + "\"";
    return codePointName(character);
}

std::string summaryText(const RunReport &report)
{
    std::vector<Section> sections = emptySections();
    // Converted, but the file looks like the other Chinese family: one
    // section per encoding, in the order they first appear.
    std::vector<Section> suspicious;
    for (std::size_t i = 0; i < report.results.size() && i < report.plan.entries.size(); ++i) {
        const std::string &likely = report.results[i].likely;
        if (sortEntry(sections, report, i) || likely.empty())
            continue;
        const std::string heading =
            "These files were converted, but look like " + likely + "; please check:";
        auto group = std::find_if(suspicious.begin(), suspicious.end(),
                                  [&](const Section &section) { return section.heading == heading; });
        if (group == suspicious.end())
            group = suspicious.insert(suspicious.end(), {heading, {}});
        group->lines.push_back(report.plan.entries[i].input.native());
    }

    std::string text;
    if (report.dryRun)
        text += "Dry run: nothing was written. A run would do this:\n";
    text += countsLine(countResults(report.results));
    for (int id = ReadFailed; id < Cancelled; ++id)
        appendSection(text, sections[id].heading, sections[id].lines);
    for (const Section &section : suspicious)
        appendSection(text, section.heading, section.lines);
    appendSection(text, sections[Cancelled].heading, sections[Cancelled].lines);
    return text;
}
