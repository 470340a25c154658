// Dragging files and directories from a file manager onto the window: which
// drags are welcome, the prompts of a drop, and what a drop appends.
#include "app/mainwindow.h"
#include "filetree.h"
#include "modaldriver.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestDragDrop : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void dragEnter_data();
    void dragEnter();
    void dragWithoutUrlsIsRefused();
    void emptyUrlListLeavesTheDragAsItCame_data();
    void emptyUrlListLeavesTheDragAsItCame();
    void filesOnly();
    void directoryThenFiles();
    void twoDirectoriesOneDepthPrompt_data();
    void twoDirectoriesOneDepthPrompt();
    void suffixes_data();
    void suffixes();
    void cancelledSuffixAddsNothing();
    void cancelledDepthKeepsEarlierEntries();
    void secondDropAsksAgain();
    void droppedTwiceListedTwice();
    void webLinkInsideADropIsSkipped();
    void missingPathIsSkipped();
    void dropOnTheListReachesTheWindow();
    void dropEventLeftAsItCame_data();
    void dropEventLeftAsItCame();

private:
    QStringList entries() const;
    QListWidget *list() const { return window->findChild<QListWidget *>("listWidget"); }
    static QUrl url(const QString &path) { return QUrl::fromLocalFile(path); }
    bool dragEnter(const QList<QUrl> &urls, QWidget *target = nullptr);
    int drop(const QList<QUrl> &urls, const std::vector<modal::Step> &steps,
             QWidget *target = nullptr);
    static modal::Step enterSuffix(const QString &text);
    static modal::Step enterDepth(int depth);

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> tmp;
    QString base;
    QString dir;   // a directory tree to drop
    QString dir2;  // another one
    QString files; // loose files to drop
    QString workingDir;
};

void TestDragDrop::init()
{
    workingDir = QDir::currentPath();
    tmp = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/拖放 测试-XXXXXX");
    QVERIFY(tmp->isValid());
    base = QDir(tmp->path()).canonicalPath();
    dir = base + "/拖放 目录";
    dir2 = base + "/第二 目录";
    files = base + "/文件";
    QVERIFY(filetree::make(dir, {"b.txt", "x.log", "a.txt", "中 文.txt", "README", ".hidden.txt",
                                 "sub/c.txt", "sub/deeper/d.txt", ".secret/e.txt"}));
    QVERIFY(filetree::make(dir2, {"f.txt", "sub2/g.txt", "sub2/more/h.txt"}));
    QVERIFY(filetree::make(files, {"a.txt", "b.txt", "x.log", "甲 乙.txt", "B.TXT", "README",
                                   "ends.", "archive.tar.gz"}));

    window = std::make_unique<mainwindow>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void TestDragDrop::cleanup()
{
    window.reset();
    QDir::setCurrent(workingDir);
}

QStringList TestDragDrop::entries() const
{
    QStringList texts;
    for (int i = 0; i < list()->count(); ++i)
        texts << list()->item(i)->text();
    return texts;
}

// A drag that enters `target` (the window unless given); whether it was taken.
bool TestDragDrop::dragEnter(const QList<QUrl> &urls, QWidget *target)
{
    target = target ? target : window.get();
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    return enter.isAccepted();
}

// Drags `urls` onto `target` (the window unless given) and drops them there,
// answering the prompts with `steps`. Qt delivers a drop only to the widget
// that took the drag's enter event, so every drop starts with one. Returns how
// many prompts appeared, or -1 if the drag was refused.
int TestDragDrop::drop(const QList<QUrl> &urls, const std::vector<modal::Step> &steps,
                       QWidget *target)
{
    target = target ? target : window.get();
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint pos = target->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return -1;
    QDropEvent dropped(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    return modal::drive([&] { QApplication::sendEvent(target, &dropped); }, steps);
}

modal::Step TestDragDrop::enterSuffix(const QString &text)
{
    return [text](QWidget *w) { modal::enterText(w, text); };
}

modal::Step TestDragDrop::enterDepth(int depth)
{
    return [depth](QWidget *w) { modal::enterInt(w, depth); };
}

void TestDragDrop::dragEnter_data()
{
    // Data comes before init(): "@" stands for the temporary directory.
    QTest::addColumn<QStringList>("dragged"); // URLs, or "@" and a local path below it
    QTest::addColumn<bool>("welcome");

    const QString web = "https://example.com/a.txt";
    QTest::newRow("a local file") << QStringList{"@/文件/a.txt"} << true;
    QTest::newRow("a local directory") << QStringList{"@/拖放 目录"} << true;
    QTest::newRow("a path that names nothing") << QStringList{"@/无/x.txt"} << true;
    QTest::newRow("web links only") << QStringList{web, "ftp://example.com/b.txt"} << false;
    QTest::newRow("a web link, then a local file") << QStringList{web, "@/文件/a.txt"} << true;
    QTest::newRow("the root only") << QStringList{"file:///"} << false;
    QTest::newRow("a name that is a line feed") << QStringList{"file:///%0A"} << true;
}

void TestDragDrop::dragEnter()
{
    QFETCH(QStringList, dragged);
    QFETCH(bool, welcome);
    QList<QUrl> urls;
    for (const QString &item : dragged)
        urls << (item.startsWith('@') ? url(base + item.mid(1)) : QUrl(item));

    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(window->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    // Arrive in the state the handler must change.
    enter.setAccepted(!welcome);
    QApplication::sendEvent(window.get(), &enter);
    QCOMPARE(enter.isAccepted(), welcome);
    // The proposed action is left alone.
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
}

void TestDragDrop::dragWithoutUrlsIsRefused()
{
    QMimeData mime;
    mime.setText(files + "/a.txt");
    QDragEnterEvent enter(window->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    enter.setAccepted(true);
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(!enter.isAccepted());
}

void TestDragDrop::emptyUrlListLeavesTheDragAsItCame_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accepted") << true;
    QTest::newRow("ignored") << false;
}

void TestDragDrop::emptyUrlListLeavesTheDragAsItCame()
{
    QFETCH(bool, accepted);
    QMimeData mime;
    mime.setUrls({});
    QVERIFY(mime.hasUrls());
    QDragEnterEvent enter(window->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    enter.setAccepted(accepted);
    QApplication::sendEvent(window.get(), &enter);
    QCOMPARE(enter.isAccepted(), accepted);
}

void TestDragDrop::filesOnly()
{
    list()->addItem("/already/there.txt");
    const modal::Step suffixPrompt = [](QWidget *w) {
        auto *prompt = qobject_cast<QInputDialog *>(w);
        QVERIFY(prompt);
        QCOMPARE(prompt->windowTitle(), QString("请输入文件后缀："));
        QCOMPARE(prompt->labelText(), QString("请输入要加入的文件后缀名，不带点"));
        QCOMPARE(prompt->inputMode(), QInputDialog::TextInput);
        QCOMPARE(prompt->textEchoMode(), QLineEdit::Normal);
        QCOMPARE(prompt->textValue(), QString("txt"));
        modal::enterText(w, "txt");
    };
    // Only the suffix is asked for: there is no directory.
    const QList<QUrl> urls{url(files + "/b.txt"), url(files + "/x.log"), url(files + "/a.txt")};
    QCOMPARE(drop(urls, {suffixPrompt}), 1);
    QCOMPARE(entries(),
             QStringList{"/already/there.txt"} + filetree::paths(files, {"b.txt", "a.txt"}));
}

void TestDragDrop::directoryThenFiles()
{
    list()->addItem("/already/there.txt");
    const modal::Step depthPrompt = [](QWidget *w) {
        auto *prompt = qobject_cast<QInputDialog *>(w);
        QVERIFY(prompt);
        QCOMPARE(prompt->windowTitle(), QString("请输入遍历深度："));
        QCOMPARE(prompt->labelText(), QString("-1为完全遍历，0为不包含子目录"));
        QCOMPARE(prompt->inputMode(), QInputDialog::IntInput);
        QCOMPARE(prompt->intValue(), 0);
        QCOMPARE(prompt->intMinimum(), -1);
        QCOMPARE(prompt->intMaximum(), 2147483647);
        QCOMPARE(prompt->intStep(), 1);
        modal::enterInt(w, 0);
    };
    const QList<QUrl> urls{url(dir), url(files + "/a.txt"), url(files + "/x.log")};
    QCOMPARE(drop(urls, {enterSuffix("txt"), depthPrompt}), 2);
    QCOMPARE(entries(), QStringList{"/already/there.txt"} +
                            filetree::paths(dir, {"a.txt", "b.txt", "中 文.txt"}) +
                            QStringList{files + "/a.txt"});
}

void TestDragDrop::twoDirectoriesOneDepthPrompt_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<QStringList>("fromDir");
    QTest::addColumn<QStringList>("fromDir2");

    QTest::newRow("-1") << -1
                        << QStringList{"a.txt", "b.txt", "中 文.txt", "sub/c.txt",
                                       "sub/deeper/d.txt"}
                        << QStringList{"f.txt", "sub2/g.txt", "sub2/more/h.txt"};
    QTest::newRow("1") << 1 << QStringList{"a.txt", "b.txt", "中 文.txt", "sub/c.txt"}
                       << QStringList{"f.txt", "sub2/g.txt"};
}

void TestDragDrop::twoDirectoriesOneDepthPrompt()
{
    QFETCH(int, depth);
    QFETCH(QStringList, fromDir);
    QFETCH(QStringList, fromDir2);

    // A trailing "/" in a dropped directory's URL does not show in the paths.
    QCOMPARE(drop({url(dir2 + "/"), url(dir)}, {enterSuffix("txt"), enterDepth(depth)}), 2);
    QCOMPARE(entries(), filetree::paths(dir2, fromDir2) + filetree::paths(dir, fromDir));
}

void TestDragDrop::suffixes_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("case counts") << "TXT" << QStringList{"B.TXT"};
    QTest::newRow("empty") << "" << QStringList{"README", "ends."};
    QTest::newRow("with its dot") << ".txt" << QStringList{};
    QTest::newRow("last suffix only") << "gz" << QStringList{"archive.tar.gz"};
}

void TestDragDrop::suffixes()
{
    QFETCH(QString, suffix);
    QFETCH(QStringList, names);
    const QStringList dropped{"a.txt", "README", "B.TXT", "archive.tar.gz", "ends.", "甲 乙.txt"};
    QList<QUrl> urls;
    for (const QString &path : filetree::paths(files, dropped))
        urls << url(path);

    QCOMPARE(drop(urls, {enterSuffix(suffix)}), 1);
    QCOMPARE(entries(), filetree::paths(files, names));
}

void TestDragDrop::cancelledSuffixAddsNothing()
{
    list()->addItem("/already/there.txt");
    QCOMPARE(drop({url(files + "/a.txt"), url(dir)}, {modal::reject}), 1);
    QCOMPARE(entries(), QStringList{"/already/there.txt"});
}

void TestDragDrop::cancelledDepthKeepsEarlierEntries()
{
    const QList<QUrl> urls{url(files + "/a.txt"), url(dir), url(files + "/b.txt"), url(dir2)};
    QCOMPARE(drop(urls, {enterSuffix("txt"), modal::reject}), 2);
    QCOMPARE(entries(), QStringList{files + "/a.txt"});
}

void TestDragDrop::secondDropAsksAgain()
{
    QCOMPARE(drop({url(dir)}, {enterSuffix("log"), enterDepth(-1)}), 2);
    QCOMPARE(entries(), QStringList{dir + "/x.log"});

    const modal::Step suffixAgain = [](QWidget *w) {
        QCOMPARE(static_cast<QInputDialog *>(w)->textValue(), QString("txt"));
        modal::enterText(w, "txt");
    };
    const modal::Step depthAgain = [](QWidget *w) {
        QCOMPARE(static_cast<QInputDialog *>(w)->intValue(), 0);
        modal::enterInt(w, 0);
    };
    QCOMPARE(drop({url(files + "/a.txt"), url(dir)}, {suffixAgain, depthAgain}), 2);
    const QStringList both = QStringList{dir + "/x.log", files + "/a.txt"} +
                             filetree::paths(dir, {"a.txt", "b.txt", "中 文.txt"});
    QCOMPARE(entries(), both);
}

void TestDragDrop::droppedTwiceListedTwice()
{
    list()->addItem(files + "/甲 乙.txt");
    QCOMPARE(drop({url(files + "/甲 乙.txt")}, {enterSuffix("txt")}), 1);
    QCOMPARE(entries(), filetree::paths(files, {"甲 乙.txt", "甲 乙.txt"}));
}

void TestDragDrop::webLinkInsideADropIsSkipped()
{
    // An empty path would stand for the working directory, which holds files
    // with the suffix.
    QVERIFY(QDir::setCurrent(dir));
    const QList<QUrl> urls{QUrl("https://example.com/a.txt"), url(files + "/甲 乙.txt")};
    // The suffix is still asked for at the first URL; no depth is asked for.
    QCOMPARE(drop(urls, {enterSuffix("txt")}), 1);
    QCOMPARE(entries(), QStringList{files + "/甲 乙.txt"});
}

void TestDragDrop::missingPathIsSkipped()
{
    const QList<QUrl> urls{url(base + "/无/x.txt"), url(base + "/无"), url(files + "/b.txt")};
    QCOMPARE(drop(urls, {enterSuffix("txt")}), 1);
    QCOMPARE(entries(), QStringList{files + "/b.txt"});
}

void TestDragDrop::dropOnTheListReachesTheWindow()
{
    QWidget *viewport = list()->viewport();
    QVERIFY(dragEnter({url(files + "/a.txt")}, viewport));
    QCOMPARE(drop({url(files + "/a.txt"), url(dir)}, {enterSuffix("txt"), enterDepth(0)}, viewport),
             2);
    QCOMPARE(entries(),
             QStringList{files + "/a.txt"} + filetree::paths(dir, {"a.txt", "b.txt", "中 文.txt"}));
}

void TestDragDrop::dropEventLeftAsItCame_data()
{
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accepted") << true;
    QTest::newRow("ignored") << false;
}

void TestDragDrop::dropEventLeftAsItCame()
{
    QFETCH(bool, accepted);
    QMimeData mime;
    mime.setUrls({url(files + "/a.txt")});
    QDragEnterEvent enter(window->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(enter.isAccepted());

    QDropEvent dropped(window->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton,
                       Qt::NoModifier);
    dropped.setAccepted(accepted);
    QCOMPARE(modal::drive([&] { QApplication::sendEvent(window.get(), &dropped); },
                          {enterSuffix("txt")}),
             1);
    QCOMPARE(entries(), QStringList{files + "/a.txt"});
    QCOMPARE(dropped.isAccepted(), accepted);
}

QTEST_MAIN(TestDragDrop)
#include "test_dragdrop.moc"
