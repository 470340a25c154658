// The recursive search behind dropped directories: which files it finds, in
// which order, and in which form it gives their paths.
#include "filelist/findfiles.h"
#include "filetree.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

class TestFindFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void exampleTree_data();
    void exampleTree();
    void pathsKeepTheDirectoryForm_data();
    void pathsKeepTheDirectoryForm();
    void suffixes_data();
    void suffixes();
    void hiddenLeftOut();
    void orderIsQDirOrder_data();
    void orderIsQDirOrder();
    void linksBackIntoTheWalkAreNotFollowed();
    void loopOfTwoLinksEnds();
    void nothingFound();

private:
    std::unique_ptr<QTemporaryDir> tmp;
    QString base;
    QString workingDir;
};

// The search as QDir lists directories, with no guard against link cycles:
// what findfiles must give for trees without them.
static QStringList reference(const QDir &dir, int depth, const QString &suffix)
{
    QStringList result;
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files, QDir::NoSort)) {
        if (file.suffix() == suffix)
            result << file.filePath();
    }
    if (depth != -1 && depth <= 0)
        return result;
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort))
        result += reference(QDir(dir.path() + '/' + name), depth == -1 ? -1 : depth - 1, suffix);
    return result;
}

void TestFindFiles::init()
{
    workingDir = QDir::currentPath();
    tmp = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/查找 文件-XXXXXX");
    QVERIFY(tmp->isValid());
    base = QDir(tmp->path()).canonicalPath();
}

void TestFindFiles::cleanup()
{
    QDir::setCurrent(workingDir);
}

void TestFindFiles::exampleTree_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("found"); // how many of the whole tree's results

    QTest::newRow("-1: the whole tree") << -1 << 5;
    QTest::newRow("0: the directory alone") << 0 << 2;
    QTest::newRow("1: one level") << 1 << 4;
    QTest::newRow("2: two levels") << 2 << 5;
    QTest::newRow("largest depth") << std::numeric_limits<int>::max() << 5;
    QTest::newRow("-2: like 0") << -2 << 2;
    QTest::newRow("lowest int: like 0") << std::numeric_limits<int>::min() << 2;
}

void TestFindFiles::exampleTree()
{
    QFETCH(int, depth);
    QFETCH(int, found);
    const QString root = base + "/根 目录";
    QVERIFY(filetree::make(root, {"b.txt", "a.txt", "x.log", "X.TXT", "A/x.txt", "B/y.txt",
                                  "B/deep/z.txt", "B/deep/W.TXT"}));

    const QStringList whole =
        filetree::paths(root, {"a.txt", "b.txt", "A/x.txt", "B/y.txt", "B/deep/z.txt"});
    QCOMPARE(findfiles(QDir(root), depth, "txt"), whole.mid(0, found));
}

void TestFindFiles::pathsKeepTheDirectoryForm_data()
{
    QTest::addColumn<QString>("given");  // the path the directory object is made from
    QTest::addColumn<QString>("prefix"); // relative to the temporary directory

    QTest::newRow("absolute") << "@/根 目录"
                              << "@/根 目录";
    QTest::newRow("trailing slash") << "@/根 目录/"
                                    << "@/根 目录";
    QTest::newRow("relative") << "根 目录"
                              << "根 目录";
    QTest::newRow("dot-dot kept") << "@/根 目录/子 目录/.."
                                  << "@/根 目录/子 目录/..";
}

void TestFindFiles::pathsKeepTheDirectoryForm()
{
    QFETCH(QString, given);
    QFETCH(QString, prefix);
    QVERIFY(filetree::make(base + "/根 目录", {"a.txt", "子 目录/b.txt"}));
    QVERIFY(QDir::setCurrent(base));
    given.replace('@', base);
    prefix.replace('@', base);

    QCOMPARE(findfiles(QDir(given), -1, "txt"),
             filetree::paths(prefix, {"a.txt", "子 目录/b.txt"}));
}

void TestFindFiles::suffixes_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("txt") << "txt" << QStringList{"a.txt", "中文.txt", "空 格.txt"};
    QTest::newRow("upper case is another suffix") << "TXT" << QStringList{"B.TXT"};
    QTest::newRow("mixed case") << "Txt" << QStringList{"c.Txt"};
    QTest::newRow("after the last dot") << "gz" << QStringList{"archive.tar.gz"};
    QTest::newRow("not two suffixes") << "tar.gz" << QStringList{};
    QTest::newRow("with its dot") << ".txt" << QStringList{};
    QTest::newRow("empty: no suffix or a final dot") << "" << QStringList{"ends.", "README"};
    QTest::newRow("log") << "log" << QStringList{"x.log"};
}

void TestFindFiles::suffixes()
{
    QFETCH(QString, suffix);
    QFETCH(QStringList, names);
    const QString root = base + "/后缀";
    QVERIFY(filetree::make(root, {"空 格.txt", "x.log", "中文.txt", "README", "B.TXT", "c.Txt",
                                  "archive.tar.gz", "a.txt", "ends.", ".hidden.txt", "sub/e.txt",
                                  "sub/f"}));

    QCOMPARE(findfiles(QDir(root), 0, suffix), filetree::paths(root, names));
}

void TestFindFiles::hiddenLeftOut()
{
    const QString root = base + "/隐藏";
    QVERIFY(filetree::make(root, {".hidden.txt", ".secret/a.txt", "visible/.b.txt", "visible/c.txt",
                                  "visible/.deeper/d.txt"}));

    QCOMPARE(findfiles(QDir(root), -1, "txt"), filetree::paths(root, {"visible/c.txt"}));
    QCOMPARE(findfiles(QDir(root), -1, "hidden.txt"), QStringList{});
}

void TestFindFiles::orderIsQDirOrder_data()
{
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("mixed case and punctuation")
        << QStringList{"B.txt",   "a.txt",  "_x.txt",  "Z.txt",   "[y.txt",  "10.txt",  "9.txt",
                       "a b.txt", "ab.txt", "b/x.txt", "A/y.txt", "_/z.txt", "Zz/w.txt"};
    // Lower-casing, not case folding: "ſ" stays after "z", "K" (Kelvin) goes with "k".
    QTest::newRow("beyond ASCII") << QStringList{"ſa.txt", "sb.txt",  "µa.txt",   "μb.txt",
                                                 "Ä.txt",  "ä2.txt",  "中.txt",   "\u212Ac.txt",
                                                 "kb.txt", "Ω/a.txt", "ω2/b.txt", "文件 夹/c.txt"};

    // More than sixteen names that differ only in case, so that the sort
    // leaves its simple insertion pass.
    QStringList sameButCase;
    for (int bits = 0; bits < 32; ++bits) {
        QString name = "abcde";
        for (int i = 0; i < 5; ++i) {
            if (bits & (1 << i))
                name[i] = name[i].toUpper();
        }
        sameButCase << name + ".txt";
        if (bits % 4 == 0)
            sameButCase << name + "/in.txt";
    }
    QTest::newRow("names equal but for case") << sameButCase;
}

void TestFindFiles::orderIsQDirOrder()
{
    QFETCH(QStringList, entries);
    const QString root = base + "/次序";
    QVERIFY(filetree::make(root, entries));

    const QStringList expected = reference(QDir(root), -1, "txt");
    QCOMPARE(expected.size(), entries.size());
    QCOMPARE(findfiles(QDir(root), -1, "txt"), expected);
}

void TestFindFiles::linksBackIntoTheWalkAreNotFollowed()
{
    const QString tree = base + "/树";
    QVERIFY(
        filetree::make(base, {"outside/c.txt", "树/a.txt", "树/sub/b.txt", "树/y/d.txt", "树/x/"}));
    QVERIFY(filetree::link(tree, "sub/back", tree)); // a cycle
    QVERIFY(filetree::link(tree, "self", tree));     // a cycle of one
    QVERIFY(filetree::link(tree, "out", base + "/outside"));
    QVERIFY(filetree::link(tree, "x/toY", tree + "/y")); // not on the walk there
    QVERIFY(filetree::link(tree, "up", base));           // above the search; holds it

    QCOMPARE(findfiles(QDir(tree), -1, "txt"),
             filetree::paths(tree, {"a.txt", "out/c.txt", "sub/b.txt", "up/outside/c.txt",
                                    "x/toY/d.txt", "y/d.txt"}));
}

void TestFindFiles::loopOfTwoLinksEnds()
{
    const QString tree = base + "/环";
    QVERIFY(filetree::make(tree, {"p/1.txt", "r/2.txt"}));
    QVERIFY(filetree::link(tree, "p/q", tree + "/r"));
    QVERIFY(filetree::link(tree, "r/s", tree + "/p"));

    QCOMPARE(findfiles(QDir(tree), -1, "txt"),
             filetree::paths(tree, {"p/1.txt", "p/q/2.txt", "r/2.txt", "r/s/1.txt"}));
}

void TestFindFiles::nothingFound()
{
    const QString root = base + "/空";
    QVERIFY(filetree::make(root, {"a.log", "sub/b.log", "empty/"}));
    QCOMPARE(findfiles(QDir(root), -1, "txt"), QStringList{});
    QCOMPARE(findfiles(QDir(root + "/missing"), -1, "log"), QStringList{});
    QCOMPARE(findfiles(QDir(root + "/a.log"), -1, "log"), QStringList{});
}

QTEST_GUILESS_MAIN(TestFindFiles)
#include "test_findfiles.moc"
