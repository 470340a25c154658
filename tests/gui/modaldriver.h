// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the modal dialogs that the window opens: the test says what to do
// with each dialog, then triggers the command that opens them.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <functional>
#include <vector>

// The texts of the window's file list, top to bottom.
inline QStringList listEntries(const QWidget *window)
{
    const auto *list = window->findChild<QListWidget *>("listWidget");
    QStringList texts;
    for (int i = 0; list && i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

namespace modal {

using Step = std::function<void(QWidget *)>;

// A step that has a timer close its dialog later marks the dialog with this.
inline void keepOpen(QWidget *w)
{
    w->setProperty("modalKeepOpen", true);
}

// Runs `command` and handles the modal widgets it opens, one step each, in
// turn. A dialog left open by its step (unless kept open by a step that has
// not failed) or beyond the steps is rejected, so that a failing test ends
// instead of waiting forever. Returns how many dialogs appeared.
//
// A run's progress dialog is not one of them: a run shows it only when it
// lasts long enough, which no test may depend on. It goes to `progress` when
// a test asks for it (and holds the run until it is cancelled, so that the
// dialog is sure to come), and is passed over otherwise.
inline int drive(const std::function<void()> &command, const std::vector<Step> &steps,
                 const Step &progress = {})
{
    std::size_t taken = 0;
    QPointer<QWidget> last;
    QTimer poll;
    const auto handle = [](QWidget *w, const Step &step) {
        if (step)
            step(w);
        const bool kept = step && w->property("modalKeepOpen").toBool();
        auto *dialog = qobject_cast<QDialog *>(w);
        if (dialog && dialog->isVisible() && (!kept || QTest::currentTestFailed()))
            dialog->reject();
    };
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == last)
            return;
        last = w;
        if (qobject_cast<QProgressDialog *>(w)) {
            if (progress)
                handle(w, progress);
            return;
        }
        handle(w, taken < steps.size() ? steps[taken] : Step());
        ++taken;
    });
    poll.start(10);
    command();
    return int(taken);
}

// Clicks the window's button `name`, or triggers the file list's context-menu
// action `index`, and handles the dialogs that opens (see drive()).
inline int click(QWidget *window, const char *name, const std::vector<Step> &steps = {},
                 const Step &progress = {})
{
    auto *button = window->findChild<QAbstractButton *>(QString::fromLatin1(name));
    return drive([button] { button->click(); }, steps, progress);
}

inline int trigger(QWidget *window, int index, const std::vector<Step> &steps = {})
{
    QAction *action = window->findChild<QListWidget *>("listWidget")->actions().at(index);
    return drive([action] { action->trigger(); }, steps);
}

inline void reject(QWidget *w)
{
    QVERIFY(qobject_cast<QDialog *>(w));
    static_cast<QDialog *>(w)->reject();
}

// Opens `dir` in a file dialog, types `text` (a name below `dir`, several
// quoted names, or a whole path) into its name field and accepts, as a user does.
inline Step choose(const QString &dir, const QString &text)
{
    return [=](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        dialog->setDirectory(dir);
        auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
        QVERIFY(edit);
        edit->setText(text);
        static_cast<QDialog *>(dialog)->accept();
    };
}

// Enters a text or a number in an input dialog and confirms it.
inline Step enter(const QVariant &value)
{
    return [value](QWidget *w) {
        auto *dialog = qobject_cast<QInputDialog *>(w);
        QVERIFY(dialog);
        if (value.typeId() == QMetaType::Int)
            dialog->setIntValue(value.toInt());
        else
            dialog->setTextValue(value.toString());
        dialog->accept();
    };
}

// Notes the directory a file dialog opened in, optionally leaves it in
// `leaveIn` (Qt's next dialog starts where the last one was left, unless told
// otherwise), and cancels it.
inline Step noteAndCancel(QString &openedIn, const QString &leaveIn = {})
{
    return [&openedIn, leaveIn](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        openedIn = dialog->directory().absolutePath();
        if (!leaveIn.isEmpty())
            dialog->setDirectory(leaveIn);
        dialog->reject();
    };
}

// Sends a drag-enter with `mime` to `target`, arriving accepted or not; whether
// it leaves accepted with its proposed action untouched.
inline bool enterDrag(QWidget *target, const QMimeData &mime, bool arrivesAccepted)
{
    QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    enter.setAccepted(arrivesAccepted);
    QApplication::sendEvent(target, &enter);
    return enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
}

// Drags `urls` onto `target` and drops them there, as a file manager does,
// answering the prompts with `steps`. Qt delivers a drop only to the widget
// that took the drag's enter event, so every drop starts with one. Returns how
// many prompts appeared, -1 if the drag was refused, or -2 if the drop event's
// acceptance (arriving as `dropAccepted`) was changed.
inline int drop(QWidget *target, const QList<QUrl> &urls, const std::vector<Step> &steps,
                bool dropAccepted = false)
{
    QMimeData mime;
    mime.setUrls(urls);
    if (!enterDrag(target, mime, false))
        return -1;
    QDropEvent dropped(target->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                       Qt::NoModifier);
    dropped.setAccepted(dropAccepted);
    const int prompts = drive([&] { QApplication::sendEvent(target, &dropped); }, steps);
    return dropped.isAccepted() == dropAccepted ? prompts : -2;
}

} // namespace modal
