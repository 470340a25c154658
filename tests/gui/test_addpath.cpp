// SPDX-License-Identifier: GPL-3.0-or-later
// The add-directory command: its two dialogs, the one-level listing it adds,
// and the input directory it shares with the file dialog.
#include "app/mainwindow.h"
#include "filelist/entrypaths.h"
#include "filetree.h"
#include "modaldriver.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestAddPath : public QObject
{
    Q_OBJECT

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> tmp;
    QString base;
    QString dir; // base + "/目录 一", with the files below

    QStringList entries() const { return listEntries(window.get()); }
    // Clicks "添加目录" or "添加" and handles the dialogs they open.
    int addPath(const std::vector<modal::Step> &steps)
    {
        return modal::click(window.get(), "pushButton_2", steps);
    }
    int addFiles(const modal::Step &step)
    {
        return modal::click(window.get(), "pushButton", {step});
    }
    // The dialog is left in `base`; the directory chosen is below it.
    modal::Step chooseDir() const { return modal::choose(base, "目录 一"); }

private slots:
    void init()
    {
        window = std::make_unique<mainwindow>();
        tmp = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/添加 目录-XXXXXX");
        QVERIFY(tmp->isValid());
        base = QDir(tmp->path()).canonicalPath();
        dir = base + "/目录 一";
        QVERIFY(filetree::make(dir, {"gamma.txt", "B.TXT", "x.log", "alpha.txt", "README", "ends.",
                                     "archive.tar.gz", "Beta.txt", "空 格.txt", ".hidden.txt",
                                     "sub/e.txt", "sub/deeper/f.txt"}));
    }

    void cleanup() { filetree::removeAll(tmp->path()); } // names that are not UTF-8 too

    // The suffix goes to the search as typed (what it matches is the engine's);
    // only the directory's own files are added, in name order ignoring case,
    // after those listed.
    void promptsAndOneLevel_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("names");

        QTest::newRow("txt") << "txt"
                             << QStringList{"alpha.txt", "Beta.txt", "gamma.txt", "空 格.txt"};
        QTest::newRow("case counts") << "TXT" << QStringList{"B.TXT"};
        QTest::newRow("not trimmed") << " txt" << QStringList{};
        QTest::newRow("empty: no suffix or a final dot") << "" << QStringList{"ends.", "README"};
    }

    void promptsAndOneLevel()
    {
        QFETCH(QString, suffix);
        QFETCH(QStringList, names);
        window->findChild<QListWidget *>("listWidget")->addItem("/already/there.txt");
        const modal::Step suffixPrompt = [&](QWidget *w) {
            auto *prompt = qobject_cast<QInputDialog *>(w);
            QVERIFY(prompt);
            QCOMPARE(prompt->windowTitle(), QString("请输入文件后缀名："));
            QCOMPARE(prompt->labelText(),
                     QString("请输入要加入列表的文件的后缀名,不带“.”，\n如文本文件就是“txt”"));
            QCOMPARE(prompt->inputMode(), QInputDialog::TextInput);
            QCOMPARE(prompt->textEchoMode(), QLineEdit::Normal);
            QCOMPARE(prompt->textValue(), QString("txt"));
            modal::enter(suffix)(w);
        };
        const modal::Step directoryDialog = [&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("请选择目录："));
            QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
            QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
            chooseDir()(w);
        };
        QCOMPARE(addPath({suffixPrompt, directoryDialog}), 2);
        QCOMPARE(entries(), QStringList{"/already/there.txt"} + filetree::paths(dir, names));
    }

    void buttonAndMenuAddTheSameTwice()
    {
        QCOMPARE(addPath({modal::enter("log"), chooseDir()}), 2);
        QCOMPARE(modal::trigger(window.get(), 1, {modal::enter("log"), chooseDir()}), 2);
        QCOMPARE(entries(), filetree::paths(dir, {"x.log", "x.log"}));
    }

    void cancelledSuffixKeepsEverything()
    {
        // A directory is remembered even when nothing in it matches.
        window->findChild<QListWidget *>("listWidget")->addItem("/already/there.txt");
        QCOMPARE(addPath({modal::enter("doc"), chooseDir()}), 2);
        QCOMPARE(entries(), QStringList{"/already/there.txt"});

        // No directory dialog follows the cancelled prompt.
        QCOMPARE(addPath({modal::reject}), 1);
        QCOMPARE(entries(), QStringList{"/already/there.txt"});
        QString openedIn;
        QCOMPARE(addFiles(modal::noteAndCancel(openedIn)), 1);
        QCOMPARE(openedIn, dir);
    }

    void cancelledDirectoryForgetsIt()
    {
        // The directory of files chosen with "添加" is where this dialog opens.
        // (The file dialog is left in `base`; the file chosen lies below it.)
        const QString elsewhere = base + "/别处";
        QVERIFY(QDir().mkpath(elsewhere));
        QCOMPARE(addFiles(modal::choose(base, "目录 一/alpha.txt")), 1);
        QCOMPARE(entries(), QStringList{dir + "/alpha.txt"});

        // The user wanders off and cancels.
        QString openedIn;
        QCOMPARE(addPath({modal::enter("txt"), modal::noteAndCancel(openedIn, elsewhere)}), 2);
        QCOMPARE(openedIn, dir);
        QCOMPARE(entries(), QStringList{dir + "/alpha.txt"});

        // Nothing is remembered any more, so the next dialogs open where file
        // dialogs open by themselves: where the last one was left.
        QCOMPARE(addFiles(modal::noteAndCancel(openedIn)), 1);
        QCOMPARE(openedIn, elsewhere);
        QCOMPARE(addPath({modal::enter("txt"), modal::noteAndCancel(openedIn)}), 2);
        QCOMPARE(openedIn, elsewhere);
    }

    // A name that is not UTF-8 (GBK, made on Windows) keeps its bytes when
    // chosen in the file dialog, which hands back the name decoded, each stray
    // byte as U+FFFD. (test_conversion finds one with the add-directory command.)
    void gbkNamedFileFromTheDialog()
    {
        const QByteArray file = QFile::encodeName(dir) + '/' + filetree::kGbkName;
        QVERIFY(filetree::makeRaw(file));
        const modal::Step dialogGivesDecodedName = [&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            dialog->setDirectory(dir);
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText(filetree::kGbkNameShown);
            // Qt's own dialog refuses a name it cannot open; a native one does not.
            static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
        };
        QCOMPARE(addFiles(dialogGivesDecodedName), 1);
        QCOMPARE(entries(), QStringList{dir + '/' + filetree::kGbkNameShown});
        QCOMPARE(entryPath(window->findChild<QListWidget *>("listWidget")->item(0)), file);
    }

    // Which bytes a name from a file dialog stands for.
    void chosenPath_data()
    {
        QTest::addColumn<QList<QByteArray>>("files"); // made below the temporary directory
        QTest::addColumn<QString>("chosen");          // as the dialog gives it
        QTest::addColumn<QByteArray>("path");         // "" when the name stays as given
        const QString lost = QString(2, QChar::ReplacementCharacter);
        QTest::newRow("ordinary name")
            << QList<QByteArray>{"中文.txt"} << "中文.txt" << QByteArray("中文.txt");
        QTest::newRow("GBK name") << QList<QByteArray>{"\xD6\xD0.txt", "中.txt"} << lost + ".txt"
                                  << QByteArray("\xD6\xD0.txt");
        QTest::newRow("GBK directory and name")
            << QList<QByteArray>{"\xCE\xC4/\xD6\xD0.txt"} << lost + "/" + lost + ".txt"
            << QByteArray("\xCE\xC4/\xD6\xD0.txt");
        // The name is not guessed: it fails later as a file that cannot be read.
        QTest::newRow("two names decode alike")
            << QList<QByteArray>{"\xD6\xD0.txt", "\xCE\xC4.txt"} << lost + ".txt" << QByteArray();
        QTest::newRow("missing name")
            << QList<QByteArray>{"a.txt"} << lost + ".txt" << QByteArray();
        QTest::newRow("a real U+FFFD")
            << QList<QByteArray>{"\uFFFD.txt", "\xD6.txt"}
            << QString(QChar::ReplacementCharacter) + ".txt" << QByteArray("\uFFFD.txt");
    }

    void chosenPath()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QString, chosen);
        QFETCH(QByteArray, path);
        const QByteArray root = QFile::encodeName(base) + "/选择";
        for (const QByteArray &file : files)
            QVERIFY(filetree::makeRaw(root + '/' + file));
        const QByteArray expected =
            path.isEmpty() ? QFile::encodeName(base + "/选择/" + chosen) : root + '/' + path;
        QCOMPARE(::chosenPath(base + "/选择/" + chosen), expected);
    }
};

QTEST_MAIN(TestAddPath)
#include "test_addpath.moc"
