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
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

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

// Chooses `names` (one name, or several as "a" "b") in `dir` of a QFileDialog.
inline void chooseFiles(QWidget *w, const QString &dir, const QString &names)
{
    auto *dialog = qobject_cast<QFileDialog *>(w);
    QVERIFY(dialog);
    dialog->setDirectory(dir);
    auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
    QVERIFY(edit);
    edit->setText(names);
    static_cast<QDialog *>(dialog)->accept();
}

// Chooses the directory `dir` in a QFileDialog that asks for a directory.
inline void chooseDirectory(QWidget *w, const QString &dir)
{
    auto *dialog = qobject_cast<QFileDialog *>(w);
    QVERIFY(dialog);
    dialog->setDirectory(dir);
    auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
    QVERIFY(edit);
    edit->setText(dir);
    static_cast<QDialog *>(dialog)->accept();
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

} // namespace modal
