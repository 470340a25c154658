// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_report.h"

int exitStatus(const velloran::RunCounts &counts, int signalNumber)
{
    if (signalNumber != 0)
        return 128 + signalNumber;
    return counts.entries == 0 || counts.failed() > 0 ? 1 : 0;
}

int exitStatus(const FinishedRun &run, const velloran::RunCounts &counts, int signalNumber)
{
    const int status = exitStatus(counts, signalNumber);
    return status == 0 && !run.unreadableDirectories.empty() ? 1 : status;
}

const char *outcomeName(velloran::Outcome outcome)
{
    using velloran::Outcome;
    switch (outcome) {
    case Outcome::Converted:
        return "converted";
    case Outcome::Unchanged:
        return "unchanged";
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
    case Outcome::LooksLikeOther:
        return "looks_like_other";
    case Outcome::Undecided:
        return "undecided";
    }
    return "unknown";
}
