// Drives the modal dialogs that the window opens: the test registers what to
// do with the next modal widget, then triggers the command that opens it.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

namespace modal {

// Calls `handle` with the next modal widget that appears within `timeoutMs`.
// Returns a flag that tells whether it was handled.
inline std::shared_ptr<bool> whenShown(std::function<void(QWidget *)> handle,
                                       int timeoutMs = 20000)
{
    auto handled = std::make_shared<bool>(false);
    auto *poll = new QTimer;
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            poll->stop();
            poll->deleteLater();
            *handled = true;
            handle(w);
        } else if (deadline.hasExpired()) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
    return handled;
}

inline void reject(QWidget *w)
{
    QVERIFY(qobject_cast<QDialog *>(w));
    static_cast<QDialog *>(w)->reject();
}

// Opens `dir` in a QFileDialog, types `text` into its name field and accepts,
// as a user does.
inline void choose(QWidget *w, const QString &dir, const QString &text)
{
    auto *dialog = qobject_cast<QFileDialog *>(w);
    QVERIFY(dialog);
    dialog->setDirectory(dir);
    auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
    QVERIFY(edit);
    edit->setText(text);
    static_cast<QDialog *>(dialog)->accept();
}

// Chooses `names` (one name, or several as "a" "b") in `dir`.
inline void chooseFiles(QWidget *w, const QString &dir, const QString &names)
{
    choose(w, dir, names);
}

// Chooses the directory `name` inside `parent` in a directory dialog.
inline void chooseDirectory(QWidget *w, const QString &parent, const QString &name)
{
    choose(w, parent, name);
}

// Chooses the directory `dir`, typed as a whole path.
inline void chooseDirectory(QWidget *w, const QString &dir)
{
    choose(w, dir, dir);
}

// Enters `text` in a QInputDialog and confirms it.
inline void enterText(QWidget *w, const QString &text)
{
    auto *dialog = qobject_cast<QInputDialog *>(w);
    QVERIFY(dialog);
    dialog->setTextValue(text);
    dialog->accept();
}

inline void enterInt(QWidget *w, int value)
{
    auto *dialog = qobject_cast<QInputDialog *>(w);
    QVERIFY(dialog);
    dialog->setIntValue(value);
    dialog->accept();
}

// Runs `command` and handles the modal widgets it opens, one step each, in
// turn. A dialog left open by its step (a failed check, say) or beyond the
// steps is rejected, so that a failing test ends instead of waiting forever.
// Returns how many dialogs appeared.
using Step = std::function<void(QWidget *)>;

inline int drive(const std::function<void()> &command, const std::vector<Step> &steps)
{
    std::size_t taken = 0;
    QPointer<QWidget> last;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == last)
            return;
        last = w;
        if (taken < steps.size())
            steps[taken](w);
        ++taken;
        if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
            dialog->reject();
    });
    poll.start(10);
    command();
    return int(taken);
}

} // namespace modal
