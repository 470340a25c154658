// Reads the report that a run ends with, and the files it wrote.
#pragma once

#include "modaldriver.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QWidget>

// 中文 and a line feed, in GB18030 (and GBK), UTF-8 and Big5.
inline const QByteArray kGbText("\xD6\xD0\xCE\xC4\n");
inline const QByteArray kUtf8Text("\xE4\xB8\xAD\xE6\x96\x87\n");
inline const QByteArray kBig5Text("\xA4\xA4\xA4\xE5\n");

struct Report
{
    QString title, text, details;
    QStringList buttons; // "Yes:" marks the Yes button
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Reads the message box on screen; the modal driver closes it.
inline Report readBox(QWidget *w)
{
    auto *box = qobject_cast<QMessageBox *>(w);
    if (!box)
        return {};
    Report report{box->windowTitle(), box->text(), box->detailedText(), {}, box->icon()};
    // Qt adds its own "Show Details..." button when there are details.
    for (QAbstractButton *button : box->buttons()) {
        if (box->buttonRole(button) != QMessageBox::ActionRole)
            report.buttons << (box->standardButton(button) == QMessageBox::Yes ? "Yes:" : "") +
                                  button->text();
    }
    return report;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Clicks the window's convert button, and reads the one report of the run.
inline Report convertAndRead(QWidget *window)
{
    Report report;
    modal::click(window, "pushButton_4", {[&](QWidget *w) { report = readBox(w); }});
    return report;
}
