// SPDX-License-Identifier: GPL-3.0-or-later
// How long the directory search and a drop of a large tree take:
//   bench_findfiles [TREE]
// makes TREE (default /tmp/velloran-bench-tree) unless it exists: 1,000
// directories of 100 files each, 70 of them *.txt. Then it times findfiles
// against `find TREE -name '*.txt'`, one insertItems of 100,000 entries into
// a list, and a real drop of TREE on the window, from the answered depth
// prompt until the list has painted its entries.
#include "app/mainwindow.h"
#include "filelist/findfiles.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int topDirs = 10;
constexpr int subDirs = 99;      // in each top directory: 10 + 990 = 1,000 directories
constexpr int filesPerDir = 100; // 100,000 files
constexpr int runs = 7;

QString fileName(int k)
{
    static const char *const suffixes[] = {"txt", "txt", "txt", "txt", "txt",
                                           "txt", "txt", "log", "log", "TXT"};
    static const char *const stems[] = {"文档 ", "Note", "note"};
    return QStringLiteral("%1%2.%3")
        .arg(QString::fromUtf8(stems[k % 3]))
        .arg(k, 3, 10, QLatin1Char('0'))
        .arg(QLatin1String(suffixes[k % 10]));
}

bool makeDirWithFiles(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    for (int k = 0; k < filesPerDir; ++k) {
        QFile file(path + u'/' + fileName(k));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

bool makeTree(const QString &root)
{
    for (int i = 0; i < topDirs; ++i) {
        const QString top = QStringLiteral("%1/目录 %2").arg(root).arg(i);
        if (!makeDirWithFiles(top))
            return false;
        for (int j = 0; j < subDirs; ++j) {
            if (!makeDirWithFiles(QStringLiteral("%1/Sub%2").arg(top).arg(j)))
                return false;
        }
    }
    return true;
}

// The best and the median of `runs` timings of `work`, in milliseconds, after
// one run that warms the caches.
struct Timing
{
    double best;
    double median;
};

Timing timeOf(const std::function<void()> &work)
{
    work();
    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms << timer.nsecsElapsed() / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    return {ms.first(), ms.at(ms.size() / 2)};
}

// Runs find(1) on `root`, its output going to `output`, or nowhere.
void runFind(const QString &root, QByteArray *output)
{
    QProcess find;
    if (!output)
        find.setStandardOutputFile(QProcess::nullDevice());
    find.start(QStringLiteral("find"), {root, QStringLiteral("-name"), QStringLiteral("*.txt")});
    find.waitForFinished(-1);
    if (output)
        *output = find.readAllStandardOutput();
}

// Answers a drop's prompts as they come, suffix "txt" and depth -1, and
// starts `confirmed` as the depth is confirmed. Stops with `window` at the latest.
void answerPrompts(QWidget *window, QElapsedTimer &confirmed)
{
    auto *poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &confirmed] {
        auto *prompt = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        if (!prompt || !prompt->isVisible())
            return;
        if (prompt->inputMode() == QInputDialog::TextInput) {
            prompt->setTextValue(QStringLiteral("txt"));
        } else {
            prompt->setIntValue(-1);
            poll->deleteLater();
            confirmed.start();
        }
        prompt->accept();
    });
    poll->start(5);
}

// A real drop of `root` on a new window; the milliseconds from the confirmed
// depth prompt until the list has painted, and the entries it shows.
double dropTree(const QString &root, int *shown)
{
    mainwindow window;
    window.show();
    QApplication::processEvents();
    auto *list = window.findChild<QListWidget *>(QStringLiteral("listWidget"));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(root)});
    const QPoint pos = window.rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent drop(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);

    QElapsedTimer confirmed;
    answerPrompts(&window, confirmed);
    QApplication::sendEvent(&window, &drop);
    list->viewport()->repaint();
    *shown = list->count();
    return confirmed.nsecsElapsed() / 1e6;
}

// One insertItems of `paths` into a shown list, until it has painted.
double appendToList(const QStringList &paths)
{
    QListWidget list;
    list.resize(300, 200);
    list.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    list.insertItems(list.count(), paths);
    list.viewport()->repaint();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString root =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/velloran-bench-tree");
    if (!QDir(root).exists()) {
        std::printf("making %s ...\n", qPrintable(root));
        if (!makeTree(root)) {
            std::fprintf(stderr, "cannot make the tree %s\n", qPrintable(root));
            return 1;
        }
    }

    QStringList found;
    const Timing search = timeOf([&] { found = findfiles(QDir(root), -1, QStringLiteral("txt")); });
    const Timing find = timeOf([&] { runFind(root, nullptr); });
    QByteArray findOutput;
    runFind(root, &findOutput);
    const int findCount = int(findOutput.count('\n'));

    std::printf("tree: %s\n", qPrintable(root));
    std::printf("findfiles(dir, -1, \"txt\"): %lld paths, best %.1f ms, median %.1f ms\n",
                qlonglong(found.size()), search.best, search.median);
    std::printf("find DIR -name '*.txt':     %d paths, best %.1f ms, median %.1f ms\n", findCount,
                find.best, find.median);
    std::printf("ratio findfiles / find: best %.2f, median %.2f (target: at most 3)\n",
                search.best / find.best, search.median / find.median);

    QStringList hundredThousand = found;
    while (hundredThousand.size() < 100000)
        hundredThousand << found.mid(0, 100000 - hundredThousand.size());
    std::printf("one insertItems of %lld entries into a shown list, painted: %.1f ms\n",
                qlonglong(hundredThousand.size()), appendToList(hundredThousand));

    int shown = 0;
    const double drop = dropTree(root, &shown);
    std::printf("drop of the tree (suffix txt, depth -1): %d entries painted %.1f ms after "
                "the depth prompt (target: 2000 ms)\n",
                shown, drop);
    return found.size() == findCount && shown == findCount ? 0 : 1;
}
