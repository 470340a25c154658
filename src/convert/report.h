#pragma once

#include <QString>

// The outcome of one conversion run, as the report shows it. Every list holds
// one line per file, in list order, each ending in a line feed.
struct RunReport {
    int succeeded = 0;
    QString readfailed;
    QString writefailed;
};
