// SPDX-License-Identifier: GPL-3.0-or-later
// Building and editing the file list: the file dialog, delete, clear.
#include "app/mainwindow.h"
#include "filetree.h"
#include "modaldriver.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestFileList : public QObject
{
    Q_OBJECT

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> dir;

    QListWidget *list() const { return window->findChild<QListWidget *>("listWidget"); }
    QStringList entries() const { return listEntries(window.get()); }
    int add(const modal::Step &step) { return modal::click(window.get(), "pushButton", {step}); }

private slots:
    void init()
    {
        window = std::make_unique<mainwindow>();
        dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/文件 列表-XXXXXX");
        QVERIFY(dir->isValid());
        QVERIFY(filetree::make(dir->path(), {"甲.txt", "乙.txt", "丙.txt", "子 目录/a.txt"}));
    }

    void addAppendsChosenFilesKeepingDuplicates()
    {
        const QStringList chosen = filetree::paths(dir->path(), {"甲.txt", "乙.txt", "丙.txt"});
        list()->addItem("/already/there.txt");
        const modal::Step choose = [&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("请选择文件："));
            QCOMPARE(dialog->nameFilters(), (QStringList{"文本文件(*.txt)", "所有文件(*.*)"}));
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
            modal::choose(dir->path(), "\"甲.txt\" \"乙.txt\" \"丙.txt\"")(w);
        };
        QCOMPARE(add(choose), 1);
        QStringList got = entries();
        QCOMPARE(got.size(), 4);
        QCOMPARE(got.first(), QString("/already/there.txt"));
        QCOMPARE(QSet<QString>(got.begin() + 1, got.end()),
                 QSet<QString>(chosen.begin(), chosen.end()));

        // The context menu's command adds too, at the end, even a file already listed.
        QCOMPARE(modal::trigger(window.get(), 0, {modal::choose(dir->path(), "甲.txt")}), 1);
        QCOMPARE(entries(), got << chosen.first());
    }

    void addRemembersDirectoryThroughClearAndCancel()
    {
        // The dialog is left in dir; the file chosen lies below it.
        const QString sub = dir->filePath("子 目录");
        QCOMPARE(add(modal::choose(dir->path(), "子 目录/a.txt")), 1);

        // Clearing the list does not forget where the files came from.
        QCOMPARE(modal::trigger(window.get(), 3), 0);
        QCOMPARE(list()->count(), 0);
        QString openedIn;
        QCOMPARE(add(modal::noteAndCancel(openedIn, dir->path())), 1);
        QCOMPARE(openedIn, sub);
        QCOMPARE(list()->count(), 0);

        // Nor does a cancel, though the user left the dialog elsewhere.
        QCOMPARE(add(modal::noteAndCancel(openedIn)), 1);
        QCOMPARE(openedIn, sub);
    }

    void deleteRemovesCurrentEntry_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("current"); // the current row, -1 for none
        QTest::newRow("button") << "button" << 1;
        QTest::newRow("Delete key") << "key" << 1;
        QTest::newRow("button, no current entry") << "button" << -1;
    }

    void deleteRemovesCurrentEntry()
    {
        QFETCH(QString, how);
        QFETCH(int, current);
        if (how == "key") {
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
        }
        auto remove = [&] {
            if (how == "button")
                QCOMPARE(modal::click(window.get(), "pushButton_3"), 0);
            else // the context menu's action, through its shortcut
                QTest::keyClick(list(), Qt::Key_Delete);
        };
        remove(); // on the empty list
        QStringList expected{"/a.txt", "/b.txt", "/c.txt", "/d.txt"};
        list()->addItems(expected);
        list()->setCurrentRow(current);
        remove();
        if (current >= 0)
            expected.removeAt(current);
        QCOMPARE(entries(), expected);
        // Repeated deletes remove one entry after another.
        remove();
        QCOMPARE(entries().size(), current >= 0 ? 2 : 4);
        QCOMPARE(entries().first(), QString("/a.txt"));
    }
};

QTEST_MAIN(TestFileList)
#include "test_filelist.moc"
