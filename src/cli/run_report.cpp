#include "run_report.h"

#include <cstdio>

RunCounts countResults(const std::vector<velloran::FileResult> &results)
{
    RunCounts counts;
    counts.entries = results.size();
    for (const velloran::FileResult &result : results) {
        if (result.outcome == velloran::Outcome::Converted)
            ++counts.converted;
        else if (result.outcome == velloran::Outcome::Cancelled)
            ++counts.cancelled;
    }
    return counts;
}

int exitStatus(const RunCounts &counts)
{
    if (counts.cancelled > 0)
        return 130;
    return counts.failed() > 0 ? 1 : 0;
}

const char *outcomeName(velloran::Outcome outcome)
{
    using velloran::Outcome;
    switch (outcome) {
    case Outcome::Converted:
        return "converted";
    case Outcome::CannotRead:
        return "cannot_read";
    case Outcome::CannotWrite:
        return "cannot_write";
    case Outcome::InvalidSource:
        return "invalid_source";
    case Outcome::Unrepresentable:
        return "unrepresentable";
    case Outcome::Cancelled:
        return "cancelled";
    case Outcome::SharedOutput:
        return "shared_output";
    case Outcome::AlreadyUtf8:
        return "already_utf8";
    case Outcome::Undecided:
        return "undecided";
    }
    return "unknown";
}

std::string codePointName(char32_t character)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(character));
    return code;
}
