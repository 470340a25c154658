// The add-directory command: its two dialogs, the one-level listing it adds,
// and the input directory it shares with the file dialog.
#include "app/mainwindow.h"
#include "filetree.h"
#include "modaldriver.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestAddPath : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void promptsAndOneLevel();
    void suffixes_data();
    void suffixes();
    void sameDirectoryTwice();
    void fromTheContextMenu();
    void cancelledSuffixChangesNothing();
    void cancelledDirectoryForgetsIt();
    void directoryWithoutMatchesIsRemembered();
    void startsWhereAddChoseFiles();

private:
    QStringList entries() const;
    QListWidget *list() const { return window->findChild<QListWidget *>("listWidget"); }
    // Clicks "添加目录" or "添加" and handles the dialogs they open.
    int addPath(const std::vector<modal::Step> &steps) { return click("pushButton_2", steps); }
    int addFiles(const std::vector<modal::Step> &steps) { return click("pushButton", steps); }
    int click(const char *button, const std::vector<modal::Step> &steps)
    {
        auto *b = window->findChild<QPushButton *>(QString::fromLatin1(button));
        return modal::drive([b] { b->click(); }, steps);
    }
    static QString startDirectory(QWidget *w)
    {
        return static_cast<QFileDialog *>(w)->directory().absolutePath();
    }
    static modal::Step enter(const QString &text)
    {
        return [text](QWidget *w) { modal::enterText(w, text); };
    }
    modal::Step chooseDir() const
    {
        return [this](QWidget *w) { modal::chooseDirectory(w, base, "目录 一"); };
    }
    // Notes where a file dialog opened, then cancels it.
    static modal::Step lookAndCancel(QString &openedIn)
    {
        return [&openedIn](QWidget *w) {
            openedIn = startDirectory(w);
            modal::reject(w);
        };
    }

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> tmp;
    QString base;
    QString dir; // base + "/目录 一", with the files below
};

void TestAddPath::init()
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

QStringList TestAddPath::entries() const
{
    QStringList texts;
    for (int i = 0; i < list()->count(); ++i)
        texts << list()->item(i)->text();
    return texts;
}

void TestAddPath::promptsAndOneLevel()
{
    list()->addItem("/already/there.txt");
    const int handled = addPath({
        [](QWidget *w) {
            auto *prompt = qobject_cast<QInputDialog *>(w);
            QVERIFY(prompt);
            QCOMPARE(prompt->windowTitle(), QString("请输入文件后缀名："));
            QCOMPARE(prompt->labelText(),
                     QString("请输入要加入列表的文件的后缀名,不带“.”，\n如文本文件就是“txt”"));
            QCOMPARE(prompt->inputMode(), QInputDialog::TextInput);
            QCOMPARE(prompt->textEchoMode(), QLineEdit::Normal);
            QCOMPARE(prompt->textValue(), QString("txt"));
            modal::enterText(w, "txt");
        },
        [&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("请选择目录："));
            QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
            QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
            modal::chooseDirectory(w, base, "目录 一");
        },
    });
    QCOMPARE(handled, 2);

    // Only this directory's own files, in name order ignoring case.
    QCOMPARE(entries(),
             QStringList{"/already/there.txt"} +
                 filetree::paths(dir, {"alpha.txt", "Beta.txt", "gamma.txt", "空 格.txt"}));
}

void TestAddPath::suffixes_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("case counts") << "TXT" << QStringList{"B.TXT"};
    QTest::newRow("typed with its dot") << ".txt" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{"ends.", "README"};
    QTest::newRow("last suffix only") << "gz" << QStringList{"archive.tar.gz"};
    QTest::newRow("not trimmed") << " txt" << QStringList{};
}

void TestAddPath::suffixes()
{
    QFETCH(QString, suffix);
    QFETCH(QStringList, names);
    QCOMPARE(addPath({enter(suffix), chooseDir()}), 2);
    QCOMPARE(entries(), filetree::paths(dir, names));
}

void TestAddPath::sameDirectoryTwice()
{
    QCOMPARE(addPath({enter("log"), chooseDir()}), 2);
    QCOMPARE(addPath({enter("log"), chooseDir()}), 2);
    QCOMPARE(entries(), filetree::paths(dir, {"x.log", "x.log"}));
}

void TestAddPath::fromTheContextMenu()
{
    QAction *action = list()->actions().at(1);
    QCOMPARE(action->text(), QString("添加目录"));
    QCOMPARE(modal::drive([action] { action->trigger(); }, {enter("log"), chooseDir()}), 2);
    QCOMPARE(entries(), filetree::paths(dir, {"x.log"}));
}

void TestAddPath::cancelledSuffixChangesNothing()
{
    QCOMPARE(addPath({enter("txt"), chooseDir()}), 2);
    const QStringList before = entries();

    // No directory dialog follows the cancelled prompt.
    QCOMPARE(addPath({modal::reject}), 1);
    QCOMPARE(entries(), before);

    // The remembered directory is kept. (The dialog was last left in `base`;
    // the directory chosen is below it.)
    QString openedIn;
    QCOMPARE(addPath({enter("txt"), lookAndCancel(openedIn)}), 2);
    QCOMPARE(openedIn, dir);
}

void TestAddPath::cancelledDirectoryForgetsIt()
{
    const QString elsewhere = base + "/别处";
    QVERIFY(QDir().mkpath(elsewhere));
    QCOMPARE(addPath({enter("txt"), chooseDir()}), 2);
    const QStringList before = entries();

    // The dialog opens in the remembered directory; the user wanders off and
    // cancels.
    QString openedIn;
    const int handled = addPath({
        enter("txt"),
        [&](QWidget *w) {
            openedIn = startDirectory(w);
            static_cast<QFileDialog *>(w)->setDirectory(elsewhere);
            modal::reject(w);
        },
    });
    QCOMPARE(handled, 2);
    QCOMPARE(openedIn, dir);
    QCOMPARE(entries(), before);

    // Nothing is remembered any more, so the next dialogs open where file
    // dialogs open by themselves: where the last one was left.
    QCOMPARE(addFiles({lookAndCancel(openedIn)}), 1);
    QCOMPARE(openedIn, elsewhere);
    QCOMPARE(addPath({enter("txt"), lookAndCancel(openedIn)}), 2);
    QCOMPARE(openedIn, elsewhere);
}

void TestAddPath::directoryWithoutMatchesIsRemembered()
{
    QCOMPARE(addPath({enter("doc"), chooseDir()}), 2);
    QCOMPARE(list()->count(), 0);

    QString openedIn;
    QCOMPARE(addFiles({lookAndCancel(openedIn)}), 1);
    QCOMPARE(openedIn, dir);
}

void TestAddPath::startsWhereAddChoseFiles()
{
    // The file dialog is left in `base`; the file chosen lies below it.
    QCOMPARE(addFiles({[&](QWidget *w) { modal::chooseFiles(w, base, "目录 一/alpha.txt"); }}), 1);
    QCOMPARE(entries(), QStringList{dir + "/alpha.txt"});

    QString openedIn;
    QCOMPARE(addPath({enter("txt"), lookAndCancel(openedIn)}), 2);
    QCOMPARE(openedIn, dir);
}

QTEST_MAIN(TestAddPath)
#include "test_addpath.moc"
