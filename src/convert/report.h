// The outcome of one conversion run as the report shows it: the counts, and
// per kind of failure the failed entries, one line each, in list order.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace velloran {
struct FileResult;
}

struct RunReport {
    int entries = 0;
    int succeeded = 0;
    int cancelled = 0;
    QString readfailed;
    QString writefailed;
    QString invalidfailed;
    QString unrepresentablefailed;

    int failed() const { return entries - succeeded - cancelled; }
};

// Sorts the results of a run (one per entry, in list order) into a report.
RunReport makeReport(const QStringList &entries, const std::vector<velloran::FileResult> &results);

// The report's main text, such as 成功3个，失败0个.
QString reportText(const RunReport &report);

// The report's details: one section per kind of failure that occurred, or an
// empty text when nothing failed.
QString reportDetails(const RunReport &report);

// The warning instead of a report when an encoding name is not known.
QString unknownEncodingText(const QString &name);
