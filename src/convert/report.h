// SPDX-License-Identifier: GPL-3.0-or-later
// The report of a conversion run in the window's words: the engine's report
// (velloran/report.h) as the message box's text and details, each entry named
// as the list shows it.
#pragma once

#include <QString>
#include <QStringList>

namespace velloran {
struct RunReport;
}

// The report's main text, such as 成功3个，失败0个.
QString reportText(const velloran::RunReport &report);

// The report's details: one section per kind of failure that occurred, or an
// empty text when nothing failed. `entries` are the list's texts, in order.
QString reportDetails(const QStringList &entries, const velloran::RunReport &report);

// How the report names a character: the character itself, or for one that
// would not show (a control or format character, a space other than the
// plain one, a combining mark on its own, an unassigned or private-use code
// point) its code point, such as U+200B.
QString visibleCharacter(char32_t character);

// The warning instead of a report when an encoding name is not known.
QString unknownEncodingText(const QString &name);
