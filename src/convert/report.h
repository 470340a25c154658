// The outcome of one conversion run as the report shows it: the counts, and
// per kind of failure the failed entries, one line each, in list order.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace velloran {
struct FileResult;
}

// Entries that were converted but look like another encoding, one group per
// encoding.
struct LikelyGroup
{
    QString encoding;
    QString entries;
};

struct RunReport
{
    int entries = 0;
    int succeeded = 0;
    int cancelled = 0;
    QString readfailed;
    QString writefailed;
    QString invalidfailed;
    QString unrepresentablefailed;
    QString sharedoutput;      // not written: an earlier entry writes the same output
    QString alreadyutf8;       // not converted: the file looks like UTF-8 already
    QList<LikelyGroup> likely; // converted, but the file looks like another encoding
    QString cancelledentries;

    int failed() const { return entries - succeeded - cancelled; }
};

// Sorts the results of a run (one per entry, in list order) into a report.
// An entry that repeats an earlier entry's file shares that entry's result.
RunReport makeReport(const QStringList &entries, const std::vector<velloran::FileResult> &results);

// The report's main text, such as 成功3个，失败0个.
QString reportText(const RunReport &report);

// The report's details: one section per kind of failure that occurred, or an
// empty text when nothing failed.
QString reportDetails(const RunReport &report);

// How the report names a character: the character itself, or for one that
// would not show (a control or format character, a space other than the
// plain one, a combining mark on its own, an unassigned or private-use code
// point) its code point, such as U+200B.
QString visibleCharacter(char32_t character);

// The warning instead of a report when an encoding name is not known.
QString unknownEncodingText(const QString &name);
