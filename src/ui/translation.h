// SPDX-License-Identifier: GPL-3.0-or-later
// The window's texts are the program's own, in Chinese. Each one passes
// through Qt's translation call in one context, "mainwindow", the window
// class's: the form built from mainwindowui.ui, the window, the prompts, the
// progress dialog and the report alike. No translator is installed, so every
// text shows exactly as written.
#pragma once

#include <QCoreApplication>
#include <QString>

inline QString windowTr(const char *sourceText, const char *disambiguation = nullptr)
{
    return QCoreApplication::translate("mainwindow", sourceText, disambiguation);
}
