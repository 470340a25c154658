// SPDX-License-Identifier: GPL-3.0-or-later
// Dragging files and directories from a file manager onto the window: which
// drags are welcome, the prompts of a drop, and what a drop appends.
#include "app/mainwindow.h"
#include "filelist/entrypaths.h"
#include "filetree.h"
#include "modaldriver.h"

#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Answers to a drop's prompts besides a suffix or a depth.
const QString kCancelSuffix = "<cancel>";
constexpr int kCancelDepth = -100;
constexpr int kNoDepthPrompt = -101;

modal::Step suffixPrompt(const QString &suffix)
{
    return [suffix](QWidget *w) {
        auto *prompt = qobject_cast<QInputDialog *>(w);
        QVERIFY(prompt);
        QCOMPARE(prompt->windowTitle(), QString("请输入文件后缀："));
        QCOMPARE(prompt->labelText(), QString("请输入要加入的文件后缀名，不带点"));
        QCOMPARE(prompt->inputMode(), QInputDialog::TextInput);
        QCOMPARE(prompt->textEchoMode(), QLineEdit::Normal);
        QCOMPARE(prompt->textValue(), QString("txt"));
        modal::enter(suffix)(w);
    };
}

modal::Step depthPrompt(int depth)
{
    return [depth](QWidget *w) {
        auto *prompt = qobject_cast<QInputDialog *>(w);
        QVERIFY(prompt);
        QCOMPARE(prompt->windowTitle(), QString("请输入遍历深度："));
        QCOMPARE(prompt->labelText(), QString("-1为完全遍历，0为不包含子目录"));
        QCOMPARE(prompt->inputMode(), QInputDialog::IntInput);
        QCOMPARE(prompt->intValue(), 0);
        QCOMPARE(prompt->intMinimum(), -1);
        QCOMPARE(prompt->intMaximum(), 2147483647);
        QCOMPARE(prompt->intStep(), 1);
        modal::enter(depth)(w);
    };
}

} // namespace

class TestDragDrop : public QObject
{
    Q_OBJECT

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> tmp;
    QString base;
    QString workingDir;

    QStringList entries() const { return listEntries(window.get()); }

    // Names below the temporary directory as paths; web links as they are.
    QStringList at(const QStringList &names) const
    {
        QStringList paths;
        for (const QString &name : names)
            paths << (name.contains(":/") ? name : base + u'/' + name);
        return paths;
    }

    QList<QUrl> urls(const QStringList &names) const
    {
        QList<QUrl> result;
        for (const QString &path : at(names))
            result << (path.contains(":/") ? QUrl(path) : QUrl::fromLocalFile(path));
        return result;
    }

    // Drags `names` (see at()) onto the window and drops them there: see modal::drop().
    int dragAndDrop(const QStringList &names, const std::vector<modal::Step> &steps,
                    bool dropAccepted = false)
    {
        return modal::drop(window.get(), urls(names), steps, dropAccepted);
    }

private slots:
    void init()
    {
        tmp = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/拖放 测试-XXXXXX");
        QVERIFY(tmp->isValid());
        base = QDir(tmp->path()).canonicalPath();
        QVERIFY(filetree::make(base + "/拖放 目录",
                               {"b.txt", "x.log", "a.txt", "中 文.txt", "README", ".hidden.txt",
                                "sub/c.txt", "sub/deeper/d.txt", ".secret/e.txt"}));
        QVERIFY(filetree::make(base + "/第二 目录", {"f.txt", "sub2/g.txt", "sub2/more/h.txt"}));
        QVERIFY(filetree::make(base + "/文件", {"a.txt", "b.txt", "x.log", "甲 乙.txt", "B.TXT",
                                                "README", "ends.", "archive.tar.gz"}));
        // An empty path would stand for the working directory, which holds
        // files with the suffix.
        workingDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(base + "/拖放 目录"));

        window = std::make_unique<mainwindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup()
    {
        window.reset();
        QDir::setCurrent(workingDir);
        filetree::removeAll(tmp->path()); // QTemporaryDir cannot remove names that are not UTF-8
    }

    void dragEnter_data()
    {
        QTest::addColumn<QStringList>("dragged"); // see at(); "<text>": text, no URLs
        QTest::addColumn<bool>("arrivesAccepted");
        QTest::addColumn<bool>("leavesAccepted");

        const QString web = "https://example.com/a.txt";
        QTest::newRow("a local file") << QStringList{"文件/a.txt"} << false << true;
        QTest::newRow("a local directory") << QStringList{"拖放 目录"} << false << true;
        QTest::newRow("a path that names nothing") << QStringList{"无/x.txt"} << false << true;
        QTest::newRow("web links only")
            << QStringList{web, "ftp://example.com/b.txt"} << true << false;
        QTest::newRow("a web link, then a file") << QStringList{web, "文件/a.txt"} << false << true;
        QTest::newRow("the root only") << QStringList{"file:///"} << true << false;
        QTest::newRow("a name that is a line feed") << QStringList{"file:///%0A"} << false << true;
        QTest::newRow("text, no URLs") << QStringList{"<text>"} << true << false;
        // An empty URL list leaves the drag as it came.
        QTest::newRow("no URL, accepted") << QStringList{} << true << true;
        QTest::newRow("no URL, ignored") << QStringList{} << false << false;
    }

    void dragEnter()
    {
        QFETCH(QStringList, dragged);
        QFETCH(bool, arrivesAccepted);
        QFETCH(bool, leavesAccepted);
        QMimeData mime;
        if (dragged == QStringList{"<text>"})
            mime.setText(base + "/文件/a.txt");
        else
            mime.setUrls(urls(dragged));
        QCOMPARE(modal::enterDrag(window.get(), mime, arrivesAccepted), leavesAccepted);
    }

    void drop_data()
    {
        QTest::addColumn<QStringList>("dropped"); // see at()
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QStringList>("added");
        const auto row = [](const char *tag, const QStringList &dropped, const QString &suffix,
                            int depth, const QStringList &added) {
            QTest::newRow(tag) << dropped << suffix << depth << added;
        };
        const QStringList loose{"文件/a.txt",          "文件/README", "文件/B.TXT",
                                "文件/archive.tar.gz", "文件/ends.",  "文件/甲 乙.txt"};
        const QStringList dir{"拖放 目录/a.txt", "拖放 目录/b.txt", "拖放 目录/中 文.txt"};
        const QStringList dirs{"第二 目录/", "拖放 目录"};

        // Files alone: only the suffix is asked for, and taken as typed (what a
        // suffix matches is the engine's). A file listed already is listed again.
        row("files", {"文件/b.txt", "文件/x.log", "文件/a.txt"}, "txt", kNoDepthPrompt,
            {"文件/b.txt", "文件/a.txt"});
        row("suffix: case counts", loose, "TXT", kNoDepthPrompt, {"文件/B.TXT"});
        row("a directory, then files", {"拖放 目录", "文件/a.txt", "文件/x.log"}, "txt", 0,
            dir + QStringList{"文件/a.txt"});
        // One depth prompt for all directories. A trailing "/" does not show in the paths.
        row("two directories, -1", dirs, "txt", -1,
            QStringList{"第二 目录/f.txt", "第二 目录/sub2/g.txt", "第二 目录/sub2/more/h.txt"} +
                dir + QStringList{"拖放 目录/sub/c.txt", "拖放 目录/sub/deeper/d.txt"});
        row("two directories, 1", dirs, "txt", 1,
            QStringList{"第二 目录/f.txt", "第二 目录/sub2/g.txt"} + dir +
                QStringList{"拖放 目录/sub/c.txt"});
        // The suffix is still asked for at the first URL; no depth is asked for.
        row("web links and missing paths skipped",
            {"https://example.com/a.txt", "无/x.txt", "无", "文件/甲 乙.txt"}, "txt",
            kNoDepthPrompt, {"文件/甲 乙.txt"});
        row("cancelled suffix", {"文件/a.txt", "拖放 目录"}, kCancelSuffix, kNoDepthPrompt, {});
        row("cancelled depth keeps earlier entries",
            {"文件/a.txt", "拖放 目录", "文件/b.txt", "第二 目录"}, "txt", kCancelDepth,
            {"文件/a.txt"});
    }

    void drop()
    {
        QFETCH(QStringList, dropped);
        QFETCH(QString, suffix);
        QFETCH(int, depth);
        QFETCH(QStringList, added);
        window->findChild<QListWidget *>("listWidget")->addItem(base + "/文件/a.txt");
        std::vector<modal::Step> steps{suffix == kCancelSuffix ? modal::reject
                                                               : suffixPrompt(suffix)};
        if (depth != kNoDepthPrompt)
            steps.push_back(depth == kCancelDepth ? modal::reject : depthPrompt(depth));
        QCOMPARE(dragAndDrop(dropped, steps), int(steps.size()));
        QCOMPARE(entries(), at(QStringList{"文件/a.txt"} + added));
    }

    // Nothing is remembered from one drop to the next: the prompts offer
    // their defaults again. A drop event that came accepted stays so.
    void secondDropAsksAgain()
    {
        QCOMPARE(dragAndDrop({"拖放 目录"}, {suffixPrompt("log"), depthPrompt(-1)}), 2);
        const int prompts =
            dragAndDrop({"文件/a.txt", "拖放 目录"}, {suffixPrompt("txt"), depthPrompt(0)}, true);
        QCOMPARE(prompts, 2);
        QCOMPARE(entries(), at({"拖放 目录/x.log", "文件/a.txt", "拖放 目录/a.txt",
                                "拖放 目录/b.txt", "拖放 目录/中 文.txt"}));
    }

    // A name that is not UTF-8 (GBK, made on Windows) is listed readably and
    // keeps its bytes, dropped itself or found in a dropped directory.
    void gbkNamedFile()
    {
        QVERIFY(QDir().mkpath(base + "/非 UTF-8"));
        const QByteArray file = QFile::encodeName(base + "/非 UTF-8/") + filetree::kGbkName;
        QVERIFY(filetree::makeRaw(file));
        // A file manager spells such a name with %XX escapes.
        const QUrl url = QUrl::fromEncoded("file://" + file.toPercentEncoding("/"));
        QVERIFY(url.isValid());
        QVERIFY(url.toString(QUrl::FullyEncoded).endsWith("/%D6%D0%CE%C4.txt"));

        const int prompts =
            modal::drop(window.get(), {url, QUrl::fromLocalFile(base + "/非 UTF-8")},
                        {suffixPrompt("txt"), depthPrompt(0)});
        QCOMPARE(prompts, 2);
        const QString shown = base + "/非 UTF-8/" + filetree::kGbkNameShown;
        QCOMPARE(entries(), QStringList({shown, shown}));
        auto *list = window->findChild<QListWidget *>("listWidget");
        QCOMPARE(entryPath(list->item(0)), file);
        QCOMPARE(entryPath(list->item(1)), file);
    }

    void dropOnTheListReachesTheWindow()
    {
        QWidget *viewport = window->findChild<QListWidget *>("listWidget")->viewport();
        const int prompts = modal::drop(viewport, urls({"文件/a.txt", "拖放 目录/sub"}),
                                        {suffixPrompt("txt"), depthPrompt(0)});
        QCOMPARE(prompts, 2);
        QCOMPARE(entries(), at({"文件/a.txt", "拖放 目录/sub/c.txt"}));
    }
};

QTEST_MAIN(TestDragDrop)
#include "test_dragdrop.moc"
