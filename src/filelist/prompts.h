// SPDX-License-Identifier: GPL-3.0-or-later
// The questions the file-list commands ask: modal dialogs over `parent`, each
// with the program's own texts. A cancelled dialog gives an empty list, an
// empty path or no answer at all.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The files to add, chosen in a multi-file dialog that opens in `startDir`.
QStringList askFiles(QWidget *parent, const QString &startDir);

// The suffix of the files to add from one directory; "txt" is offered.
std::optional<QString> askDirectorySuffix(QWidget *parent);

// The directory to add files from, chosen in a dialog that opens in `startDir`.
QString askDirectory(QWidget *parent, const QString &startDir);

// The suffix of the files to add from a drop; "txt" is offered.
std::optional<QString> askDropSuffix(QWidget *parent);

// How deep to search the directories of a drop: -1 the whole tree, 0 none of
// the subdirectories; 0 is offered.
std::optional<int> askDepth(QWidget *parent);
