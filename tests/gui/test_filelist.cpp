// Building and editing the file list: the file dialog, delete, clear.
#include "app/mainwindow.h"
#include "modaldriver.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void addAppendsChosenFiles();
    void addKeepsDuplicatesAndOrder();
    void cancelledAddChangesNothing();
    void addRemembersDirectory();
    void deleteRemovesCurrentEntry_data();
    void deleteRemovesCurrentEntry();
    void deleteWithoutCurrentDoesNothing();
    void clearEmptiesListOnly();

private:
    QStringList entries() const;
    void fill(const QStringList &paths);
    QString makeFile(const QString &name);
    QAction *action(int index) const { return list()->actions().at(index); }
    QListWidget *list() const { return window->findChild<QListWidget *>("listWidget"); }
    QPushButton *button(const char *name) const
    {
        return window->findChild<QPushButton *>(QString::fromLatin1(name));
    }

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestFileList::init()
{
    window = std::make_unique<mainwindow>();
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/文件 列表-XXXXXX");
    QVERIFY(dir->isValid());
}

QStringList TestFileList::entries() const
{
    QStringList texts;
    for (int i = 0; i < list()->count(); ++i)
        texts << list()->item(i)->text();
    return texts;
}

void TestFileList::fill(const QStringList &paths)
{
    list()->addItems(paths);
}

QString TestFileList::makeFile(const QString &name)
{
    QFile file(dir->filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot create fixture");
    file.write("text\n");
    return file.fileName();
}

void TestFileList::addAppendsChosenFiles()
{
    const QString a = makeFile("甲.txt"), b = makeFile("乙.txt"), c = makeFile("丙.txt");
    fill({"/already/there.txt"});
    auto handled = modal::whenShown([&](QWidget *w) {
        QCOMPARE(w->windowTitle(), QString("请选择文件："));
        const QStringList filters = static_cast<QFileDialog *>(w)->nameFilters();
        QCOMPARE(filters, (QStringList{"文本文件(*.txt)", "所有文件(*.*)"}));
        QCOMPARE(static_cast<QFileDialog *>(w)->fileMode(), QFileDialog::ExistingFiles);
        modal::chooseFiles(w, dir->path(), "\"甲.txt\" \"乙.txt\" \"丙.txt\"");
    });
    button("pushButton")->click();
    QVERIFY(*handled);

    const QStringList got = entries();
    QCOMPARE(got.size(), 4);
    QCOMPARE(got.first(), QString("/already/there.txt"));
    QCOMPARE(QSet<QString>(got.begin() + 1, got.end()), (QSet<QString>{a, b, c}));
}

void TestFileList::addKeepsDuplicatesAndOrder()
{
    const QString a = makeFile("a.txt");
    fill({a, "/x/b.txt"});
    auto handled = modal::whenShown([&](QWidget *w) { modal::chooseFiles(w, dir->path(), "a.txt"); });
    action(0)->trigger();
    QVERIFY(*handled);
    QCOMPARE(entries(), (QStringList{a, "/x/b.txt", a}));
}

void TestFileList::cancelledAddChangesNothing()
{
    makeFile("a.txt");
    auto handled = modal::whenShown([&](QWidget *w) { modal::chooseFiles(w, dir->path(), "a.txt"); });
    button("pushButton")->click();
    QVERIFY(*handled);

    handled = modal::whenShown([&](QWidget *w) { modal::reject(w); });
    button("pushButton")->click();
    QVERIFY(*handled);
    QCOMPARE(entries().size(), 1);

    // The remembered directory survives the cancel.
    handled = modal::whenShown([&](QWidget *w) {
        QCOMPARE(static_cast<QFileDialog *>(w)->directory().absolutePath(), dir->path());
        modal::reject(w);
    });
    button("pushButton")->click();
    QVERIFY(*handled);
}

void TestFileList::addRemembersDirectory()
{
    makeFile("a.txt");
    auto handled = modal::whenShown([&](QWidget *w) { modal::chooseFiles(w, dir->path(), "a.txt"); });
    button("pushButton")->click();
    QVERIFY(*handled);

    // Clearing the list does not forget where the files came from.
    action(3)->trigger();
    QCOMPARE(list()->count(), 0);
    QString openedIn;
    handled = modal::whenShown([&](QWidget *w) {
        openedIn = static_cast<QFileDialog *>(w)->directory().absolutePath();
        modal::reject(w);
    });
    button("pushButton")->click();
    QVERIFY(*handled);
    QCOMPARE(openedIn, dir->path());
}

void TestFileList::deleteRemovesCurrentEntry_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("button") << "button";
    QTest::newRow("menu") << "menu";
    QTest::newRow("Delete key") << "key";
}

void TestFileList::deleteRemovesCurrentEntry()
{
    QFETCH(QString, how);
    fill({"/a.txt", "/b.txt", "/c.txt", "/d.txt"});
    list()->setCurrentRow(1);

    auto remove = [&] {
        if (how == "button") {
            button("pushButton_3")->click();
        } else if (how == "menu") {
            action(2)->trigger();
        } else {
            QTest::keyClick(list(), Qt::Key_Delete);
        }
    };
    if (how == "key") {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    remove();
    QCOMPARE(entries(), (QStringList{"/a.txt", "/c.txt", "/d.txt"}));
    // Repeated deletes remove one entry after another.
    remove();
    QCOMPARE(entries().size(), 2);
    QCOMPARE(entries().first(), QString("/a.txt"));
}

void TestFileList::deleteWithoutCurrentDoesNothing()
{
    button("pushButton_3")->click();
    QCOMPARE(list()->count(), 0);
    fill({"/a.txt", "/b.txt"});
    list()->setCurrentItem(nullptr);
    button("pushButton_3")->click();
    action(2)->trigger();
    QCOMPARE(entries(), (QStringList{"/a.txt", "/b.txt"}));
}

void TestFileList::clearEmptiesListOnly()
{
    action(3)->trigger();
    QCOMPARE(list()->count(), 0);
    fill({"/a.txt", "/b.txt", "/a.txt"});
    action(3)->trigger();
    QCOMPARE(list()->count(), 0);
}

QTEST_MAIN(TestFileList)
#include "test_filelist.moc"
