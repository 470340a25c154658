// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of a run, from real folder trees dropped onto the window: the same
// file listed twice is converted once, files that would write the same output
// are refused after the first, and a cancelled run names what it left.
#include "app/mainwindow.h"
#include "convert/conversionrun.h"
#include "filetree.h"
#include "modaldriver.h"
#include "reportbox.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// 附录 and a line feed in GB18030, and in UTF-8.
const QByteArray kOtherGbText("\xB8\xBD\xC2\xBC\n");
const QByteArray kOtherUtf8Text("\xE9\x99\x84\xE5\xBD\x95\n");

// Traditional text in Big5, which GBK also decodes (into other characters).
const QByteArray kBig5Line(
    "\xA5\xBB\xB3\x6E\xC5\xE9\xB1\x4E\xA4\xE5\xA6\x72\xC0\xC9\xAE\xD7\xB1\x71\xA4\x40\xBA\xD8"
    "\xA6\x72\xA4\xB8\xBD\x73\xBD\x58\xC2\xE0\xB4\xAB\xAC\xB0\xA5\x74\xA4\x40\xBA\xD8\xA6\x72"
    "\xA4\xB8\xBD\x73\xBD\x58\xA1\x41\xB3\x76\xA6\xE6\xC4\x59\xAE\xE6\xC0\xCB\xAC\x64\xA1\x43\n");

const QString kSharedHeading = "\n以下文件与列表中另一文件输出到同一位置，未转换：\n";
const QString kCancelledHeading = "\n以下文件因取消而未转换：\n";

} // namespace

class TestRunRules : public QObject
{
    Q_OBJECT

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> tmp;

    QString at(const QString &name) const { return tmp->path() + u'/' + name; }

    // Creates the file `name` below the temporary directory, and its folders.
    bool make(const QString &name, const QByteArray &bytes) const
    {
        return filetree::makeFile(at(name), bytes);
    }

    // Drops the folder `name` onto the window, searched for `suffix` to any
    // depth; returns how many prompts it answered.
    int dropFolder(const QString &name, const QString &suffix)
    {
        return modal::drop(window.get(), {QUrl::fromLocalFile(at(name))},
                           {modal::enter(suffix), modal::enter(-1)});
    }

    // Converts from `source` to UTF-8 (as the window starts) into `output`;
    // whether the window took the source.
    bool chooseRun(const QString &source, const QString &output)
    {
        auto *box = window->findChild<QComboBox *>("comboBox");
        box->setCurrentText(source);
        window->findChild<QLineEdit *>("lineEdit")->setText(output);
        return box->currentText() == source;
    }

    Report convert() { return convertAndRead(window.get()); }

private slots:
    void init()
    {
        window = std::make_unique<mainwindow>();
        tmp = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/运行 规则-XXXXXX");
        QVERIFY(tmp->isValid());
    }

    void cleanup() { ConversionRun::holdForTesting(velloran::kNoEntry); }

    // Two files of the same name in different folders land on one output:
    // the first in the list is converted, the other one is left alone.
    void sameOutputName_data()
    {
        QTest::addColumn<QStringList>("files"); // below the dropped folder
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("output"); // empty: the dropped folder itself
        QTest::newRow("folder converted in place")
            << QStringList{"readme.txt", "附录/readme.txt"} << "txt" << QString();
        QTest::newRow("subtitles into a new folder")
            << QStringList{"第一季/第01集.srt", "第二季/第01集.srt"} << "srt"
            << "新 字幕";
    }

    void sameOutputName()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, suffix);
        QFETCH(QString, output);
        const QString folder = "文档 目录";
        QVERIFY(make(folder + '/' + files[0], kGbText));
        QVERIFY(make(folder + '/' + files[1], kOtherGbText));
        const QString outputDir = at(output.isEmpty() ? folder : output);
        QVERIFY(QDir().mkpath(outputDir));

        QCOMPARE(dropFolder(folder, suffix), 2);
        const QStringList entries = listEntries(window.get());
        QCOMPARE(entries, QStringList({at(folder + '/' + files[0]), at(folder + '/' + files[1])}));
        QVERIFY(chooseRun("GB18030", outputDir));

        const Report report = convert();
        QCOMPARE(report.text, QString("成功1个，失败1个"));
        QCOMPARE(report.details, kSharedHeading + entries[1] + "（与 " + entries[0] + " 相同）\n");

        const QString name = QFileInfo(files[0]).fileName();
        QCOMPARE(readFile(outputDir + '/' + name), kUtf8Text);
        QCOMPARE(readFile(entries[1]), kOtherGbText);
        if (!output.isEmpty()) {
            QCOMPARE(readFile(entries[0]), kGbText);
            QCOMPARE(
                QDir(outputDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                QStringList{name});
        }
    }

    // The same folder dropped twice and converted in place: each file is
    // converted once, and its second entry counts like the first.
    void folderDroppedTwice_data()
    {
        QTest::addColumn<QString>("again"); // how the second drop names the folder
        QTest::newRow("the same path") << "重复 目录";
        QTest::newRow("through a link") << "链接";
    }

    void folderDroppedTwice()
    {
        QFETCH(QString, again);
        const QString folder = "重复 目录";
        QVERIFY(make(folder + "/说明.txt", kGbText));
        QVERIFY(make(folder + "/附录/注释.txt", kOtherGbText));
        QVERIFY(again == folder || QFile::link(at(folder), at(again)));
        QCOMPARE(dropFolder(folder, "txt"), 2);
        QCOMPARE(dropFolder(again, "txt"), 2);
        const QStringList names{"/说明.txt", "/附录/注释.txt"};
        QCOMPARE(listEntries(window.get()),
                 QStringList({at(folder + names[0]), at(folder + names[1]), at(again + names[0]),
                              at(again + names[1])}));
        QVERIFY(chooseRun("GBK", at(folder)));

        const Report report = convert();
        QCOMPARE(report.text, QString("成功4个，失败0个"));
        QCOMPARE(report.details, QString());
        QCOMPARE(readFile(at(folder + "/说明.txt")), kUtf8Text);
        QCOMPARE(readFile(at(folder + "/注释.txt")), kOtherUtf8Text);
        QCOMPARE(readFile(at(folder + "/附录/注释.txt")), kOtherGbText);
    }

    // Into its own folder, a file that looks like Big5 is not converted from
    // GBK: its bytes would be gone. Into another folder it is, with a warning.
    void lookAlikeKeptInItsOwnFolder_data()
    {
        QTest::addColumn<QString>("output"); // empty: the dropped folder itself
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("details");
        QTest::newRow("own folder") << QString() << "成功0个，失败1个"
                                    << "\n以下文件看起来是Big5编码，未转换：\n{0}\n";
        QTest::newRow("another folder") << "输出"
                                        << "成功1个，失败0个"
                                        << "\n以下文件已转换，但看起来是Big5编码，请检查：\n{0}\n";
    }

    void lookAlikeKeptInItsOwnFolder()
    {
        QFETCH(QString, output);
        QFETCH(QString, text);
        QFETCH(QString, details);
        const QString folder = "繁体 字幕";
        const QByteArray big5 = kBig5Line.repeated(40);
        QVERIFY(make(folder + "/第01集.srt", big5));
        const QString outputDir = at(output.isEmpty() ? folder : output);
        QVERIFY(QDir().mkpath(outputDir));
        QCOMPARE(dropFolder(folder, "srt"), 2);
        QVERIFY(chooseRun("GBK", outputDir));

        const Report report = convert();
        QCOMPARE(report.text, text);
        QCOMPARE(report.details, details.replace("{0}", listEntries(window.get())[0]));
        QCOMPARE(readFile(at(folder + "/第01集.srt")), big5);
    }

    // A cancelled run names every entry it did not convert, repeats included;
    // a repeat of a converted file counts as converted.
    void cancelNamesWhatIsLeft()
    {
        ConversionRun::holdForTesting(1); // until the cancel
        const QString folder = "大 目录";
        const QByteArray big = kGbText.repeated(200000);
        // Listed first: converted before the run is held.
        QVERIFY(make(folder + "/第0卷/小.txt", kGbText));
        for (int i = 1; i < 4; ++i)
            QVERIFY(make(QString("%1/第%2卷/正文%2.txt").arg(folder).arg(i), big));
        QCOMPARE(dropFolder(folder, "txt"), 2);
        QCOMPARE(dropFolder(folder, "txt"), 2);
        const QStringList entries = listEntries(window.get());
        QCOMPARE(entries.size(), 8);
        QCOMPARE(entries[0], at(folder + "/第0卷/小.txt"));
        QVERIFY(QDir().mkpath(at("输出")));
        QVERIFY(chooseRun("GB18030", at("输出")));

        // Cancelled once the first entry, and so its repeat, is done.
        const Report report = convertAndRead(
            window.get(), cancelWhen([](QProgressDialog *dialog) { return dialog->value() >= 1; }));
        const auto [succeeded, cancelled] = cancelledCounts(report);
        QVERIFY2(cancelled > 0, qPrintable(report.text));
        QVERIFY(succeeded >= 2);

        // What was written is complete; each entry is either written or named.
        QString notConverted;
        int converted = 0;
        for (const QString &entry : entries) {
            const QString output = at("输出/" + QFileInfo(entry).fileName());
            if (!QFile::exists(output)) {
                notConverted += entry + '\n';
                continue;
            }
            ++converted;
            const qsizetype lines = readFile(entry).size() / kGbText.size();
            QCOMPARE(readFile(output), kUtf8Text.repeated(lines));
        }
        QCOMPARE(succeeded, converted);
        QCOMPARE(report.details, kCancelledHeading + notConverted);
        QCOMPARE(QDir(at("输出")).entryList(QDir::Files | QDir::Hidden).size(), converted / 2);
    }
};

QTEST_MAIN(TestRunRules)
#include "test_runrules.moc"
