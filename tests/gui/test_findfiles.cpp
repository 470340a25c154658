// SPDX-License-Identifier: GPL-3.0-or-later
// The recursive search behind dropped directories: which files it finds, in
// which order, and in which form it gives their paths.
#include "filelist/findfiles.h"
#include "filetree.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The .txt files of the whole tree as QDir lists directories, with no guard
// against link cycles: what findfiles must give for trees without them.
static QStringList reference(const QDir &dir)
{
    QStringList result;
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files, QDir::NoSort)) {
        if (file.suffix() == "txt")
            result << file.filePath();
    }
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort))
        result += reference(QDir(dir.path() + '/' + name));
    return result;
}

class TestFindFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> tmp;
    QString base;
    QString workingDir;

private slots:
    void init()
    {
        workingDir = QDir::currentPath();
        tmp = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/查找 文件-XXXXXX");
        QVERIFY(tmp->isValid());
        base = QDir(tmp->path()).canonicalPath();
    }

    void cleanup() { QDir::setCurrent(workingDir); }

    void pathsKeepTheDirectoryForm_data()
    {
        QTest::addColumn<QString>("given");  // the path the directory object is made from
        QTest::addColumn<QString>("prefix"); // "@" stands for the temporary directory
        const auto row = [](const char *name, const char *given, const char *prefix) {
            QTest::newRow(name) << QString(given) << QString(prefix);
        };
        row("absolute", "@/根 目录", "@/根 目录");
        row("trailing slash", "@/根 目录/", "@/根 目录");
        row("relative", "根 目录", "根 目录");
        row("dot-dot kept", "@/根 目录/子 目录/..", "@/根 目录/子 目录/..");
    }

    void pathsKeepTheDirectoryForm()
    {
        QFETCH(QString, given);
        QFETCH(QString, prefix);
        QVERIFY(filetree::make(base + "/根 目录", {"a.txt", "子 目录/b.txt"}));
        QVERIFY(QDir::setCurrent(base));
        QCOMPARE(findfiles(QDir(given.replace('@', base)), -1, "txt"),
                 filetree::paths(prefix.replace('@', base), {"a.txt", "子 目录/b.txt"}));
    }

    void orderIsQDirOrder_data()
    {
        QTest::addColumn<QStringList>("entries");

        QTest::newRow("mixed case and punctuation")
            << QStringList{"B.txt",   "a.txt",  "_x.txt",  "Z.txt",   "[y.txt",  "10.txt",  "9.txt",
                           "a b.txt", "ab.txt", "b/x.txt", "A/y.txt", "_/z.txt", "Zz/w.txt"};
        // Lower-casing, not case folding: "ſ" stays after "z", "K" (Kelvin) goes with "k".
        QTest::newRow("beyond ASCII") << QStringList{
            "ſa.txt", "sb.txt",      "µa.txt", "μb.txt",  "Ä.txt",    "ä2.txt",
            "中.txt", "\u212Ac.txt", "kb.txt", "Ω/a.txt", "ω2/b.txt", "文件 夹/c.txt"};

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

    void orderIsQDirOrder()
    {
        QFETCH(QStringList, entries);
        const QString root = base + "/次序";
        QVERIFY(filetree::make(root, entries));
        const QStringList expected = reference(QDir(root));
        QCOMPARE(expected.size(), entries.size());
        QCOMPARE(findfiles(QDir(root), -1, "txt"), expected);
    }
};

QTEST_GUILESS_MAIN(TestFindFiles)
#include "test_findfiles.moc"
