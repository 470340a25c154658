// SPDX-License-Identifier: GPL-3.0-or-later
// The report of a run: each entry counted, and each entry that needs the
// user's attention put into its section.
#include "velloran/report.h"

#include <algorithm>
#include <optional>

namespace velloran {

namespace {

// The section an entry's result goes into; none for a plain conversion.
std::optional<SectionKind> sectionFor(const FileResult &result)
{
    switch (result.outcome) {
    case Outcome::Converted:
        if (result.likely.empty())
            return std::nullopt;
        return SectionKind::LooksLike;
    case Outcome::Unchanged:
        return std::nullopt;
    case Outcome::CannotRead:
        return SectionKind::CannotRead;
    case Outcome::CannotWrite:
        return SectionKind::CannotWrite;
    case Outcome::InvalidSource:
        return SectionKind::InvalidSource;
    case Outcome::Unrepresentable:
        return SectionKind::Unrepresentable;
    case Outcome::SharedOutput:
        return SectionKind::SharedOutput;
    case Outcome::AlreadyUtf8:
        return SectionKind::AlreadyUtf8;
    case Outcome::LooksLikeOther:
        return SectionKind::LooksLikeOther;
    case Outcome::Undecided:
        return SectionKind::Undecided;
    case Outcome::Cancelled:
        return SectionKind::Cancelled;
    }
    return std::nullopt;
}

void count(RunCounts &counts, const FileResult &result)
{
    ++counts.entries;
    if (result.outcome == Outcome::Converted)
        ++counts.converted;
    else if (result.outcome == Outcome::Unchanged)
        ++counts.unchanged;
    else if (result.outcome == Outcome::Cancelled)
        ++counts.cancelled;
}

// The section of that kind (and, for LooksLike, that encoding), added at the
// end when there is none yet.
ReportSection &sectionOf(std::vector<ReportSection> &sections, SectionKind kind,
                         const std::string &encoding)
{
    const auto found = std::find_if(sections.begin(), sections.end(), [&](const auto &section) {
        return section.kind == kind && section.encoding == encoding;
    });
    if (found != sections.end())
        return *found;
    return sections.emplace_back(ReportSection{kind, encoding, {}});
}

ReportLine lineOf(std::size_t index, const FileResult &result, std::size_t entries)
{
    ReportLine line{index, result, kNoEntry};
    if (result.outcome == Outcome::SharedOutput && result.sameAs < entries)
        line.inTheWay = result.sameAs;
    return line;
}

} // namespace

RunReport makeRunReport(const std::vector<FileResult> &results)
{
    RunReport report;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const FileResult &result = results[i];
        count(report.counts, result);
        const std::optional<SectionKind> kind = sectionFor(result);
        if (!kind)
            continue;
        const bool byEncoding =
            *kind == SectionKind::LooksLike || *kind == SectionKind::LooksLikeOther;
        const std::string encoding = byEncoding ? result.likely : "";
        ReportSection &section = sectionOf(report.sections, *kind, encoding);
        section.lines.push_back(lineOf(i, result, results.size()));
    }
    // Sections were added as their first entry came; a stable sort puts them
    // in their kinds' order and keeps the LooksLike ones in that order.
    std::stable_sort(report.sections.begin(), report.sections.end(),
                     [](const auto &a, const auto &b) { return a.kind < b.kind; });
    return report;
}

} // namespace velloran
