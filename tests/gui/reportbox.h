// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the report that a run ends with, and the files it wrote.
#pragma once

#include "modaldriver.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QFile>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
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

// Clicks the window's convert button and reads the report that ends the run.
// `progress` handles the run's progress dialog, in a test that holds the run
// (ConversionRun::holdForTesting) until the step cancels it; without it, a
// progress dialog that a slow run shows is passed over.
inline Report convertAndRead(QWidget *window, const modal::Step &progress = {})
{
    Report report;
    const modal::Step read = [&](QWidget *w) { report = readBox(w); };
    if (modal::click(window, "pushButton_4", {read}, progress) != 1)
        report.title = "<not the dialogs expected>";
    return report;
}

// A step for the progress dialog of a held run: looks at it (`shown`), lets
// the run go on with the dialog served until `ready` says so (asked as the
// events go), then presses its cancel button once `cancelling` looked again.
using ProgressLook = std::function<void(QProgressDialog *)>;
using ProgressReady = std::function<bool(QProgressDialog *)>;
inline modal::Step cancelWhen(const ProgressReady &ready, const ProgressLook &shown = {},
                              const ProgressLook &cancelling = {})
{
    return [=](QWidget *w) {
        auto *dialog = qobject_cast<QProgressDialog *>(w);
        QVERIFY(dialog);
        if (shown)
            shown(dialog);
        modal::keepOpen(dialog);
        auto *poll = new QTimer(dialog);
        QObject::connect(poll, &QTimer::timeout, dialog, [=] {
            if (!ready(dialog))
                return;
            poll->stop();
            if (cancelling)
                cancelling(dialog);
            dialog->findChild<QPushButton *>()->click();
        });
        poll->start(10);
    };
}

// The counts of a cancelled run without failures, {succeeded, cancelled}, or
// {-1, -1} if the report's text is not of that form.
inline std::pair<int, int> cancelledCounts(const Report &report)
{
    const QRegularExpressionMatch counts =
        QRegularExpression("^成功(\\d+)个，失败0个，取消(\\d+)个$").match(report.text);
    if (!counts.hasMatch())
        return {-1, -1};
    return {counts.captured(1).toInt(), counts.captured(2).toInt()};
}
