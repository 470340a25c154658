// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the README's screenshots of the real window in a real X server: the
// filled file list, the progress dialog of a long run, and the report of a run
// with failures. Driven by scripts/screenshot.sh, which makes the files:
//   screenshot_driver <png dir> <output dir> <file>...
// The window is reached only through its widgets' object names.
#include "app/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

// Long enough for the label to name the file in progress and for a message
// box to finish its layout before it is photographed.
constexpr int kSettleMs = 300;
constexpr int kPollMs = 20;
constexpr int kGiveUpMs = 120000;

bool save(const QPixmap &shot, const QString &path)
{
    if (!shot.isNull() && shot.save(path))
        return true;
    std::fprintf(stderr, "could not save %s\n", qPrintable(path));
    return false;
}

// What is on the screen over the window and the dialog above it, as a user
// sees it (a widget's own grab would leave the dialog out).
QPixmap screenArea(const QWidget *window, const QWidget *dialog)
{
    const QRect area = window->frameGeometry().united(dialog->frameGeometry());
    return window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
}

// Walks through one run: photographs the window, starts the run, photographs
// the progress dialog when it appears and the report when it comes, then
// closes the report and the window.
class Photographer : public QObject
{
public:
    Photographer(mainwindow *window, const QString &pngDir) : m_window(window), m_dir(pngDir)
    {
        connect(&m_poll, &QTimer::timeout, this, &Photographer::look);
    }

    void start()
    {
        if (!save(m_window->grab(), m_dir.filePath("screenshot.png")))
            return fail();
        auto *convert = m_window->findChild<QPushButton *>("pushButton_4");
        // Queued: the run blocks inside the click, and the poll must go on.
        QMetaObject::invokeMethod(convert, &QPushButton::click, Qt::QueuedConnection);
        m_poll.start(kPollMs);
    }

private:
    void look()
    {
        if (auto *progress = m_window->findChild<QProgressDialog *>();
            progress && progress->isVisible())
            return photographProgress(progress);
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            return photographReport(box);
    }

    void photographProgress(QProgressDialog *progress)
    {
        if (m_progressTaken)
            return;
        m_progressTaken = true;
        QTimer::singleShot(kSettleMs, progress, [this, progress] {
            if (!save(screenArea(m_window, progress), m_dir.filePath("screenshot-progress.png")))
                fail();
        });
    }

    void photographReport(QMessageBox *box)
    {
        m_poll.stop();
        if (!m_progressTaken) {
            std::fprintf(stderr,
                         "the run ended before its progress dialog appeared: use larger files\n");
            box->accept();
            return fail();
        }
        // Open the details, where the failed files are listed.
        for (QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
            if (box->buttonRole(button) == QMessageBox::ActionRole)
                button->click();
        }
        QTimer::singleShot(kSettleMs, box, [this, box] {
            const bool saved = save(box->grab(), m_dir.filePath("screenshot-report.png"));
            box->accept();
            m_window->close();
            if (!saved)
                fail();
        });
    }

    void fail() { QCoreApplication::exit(1); }

    mainwindow *m_window;
    QDir m_dir;
    QTimer m_poll;
    bool m_progressTaken = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: screenshot_driver <png dir> <output dir> <file>...\n");
        return 2;
    }

    mainwindow window;
    window.findChild<QListWidget *>("listWidget")->addItems(args.mid(3));
    window.findChild<QLineEdit *>("lineEdit")->setText(args[2]);
    window.show();

    Photographer photographer(&window, args[1]);
    QTimer::singleShot(kSettleMs, &photographer, &Photographer::start);
    QTimer::singleShot(kGiveUpMs, &app, [] {
        std::fprintf(stderr, "gave up waiting for the run\n");
        QCoreApplication::exit(1);
    });
    return app.exec();
}
