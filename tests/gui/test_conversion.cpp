// SPDX-License-Identifier: GPL-3.0-or-later
// Converting from the window: the output directory, the run, and the report.
#include "app/mainwindow.h"
#include "convert/conversionrun.h"
#include "filetree.h"
#include "modaldriver.h"
#include "reportbox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

namespace {

// Counts the paints of a dialog and its children.
struct PaintCounter : QObject
{
    QWidget *dialog;
    int paints = 0;
    explicit PaintCounter(QWidget *d) : QObject(d), dialog(d) {}
    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *w = qobject_cast<QWidget *>(o);
        paints += e->type() == QEvent::Paint && w && (w == dialog || dialog->isAncestorOf(w));
        return false;
    }
};

} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> in, out;

    QListWidget *list() const { return window->findChild<QListWidget *>("listWidget"); }
    QLineEdit *lineEdit() const { return window->findChild<QLineEdit *>("lineEdit"); }

    QString makeFile(const QString &name, const QByteArray &bytes)
    {
        if (!filetree::makeFile(in->filePath(name), bytes))
            qFatal("cannot create fixture");
        return in->filePath(name);
    }

    // One list entry that ends the run in a known way.
    QString makeEntry(const QString &kind, int index)
    {
        const QString name = QString("%1 %2.txt").arg(kind).arg(index);
        if (kind == "missing")
            return in->filePath(name);
        if (kind == "blocked") // a directory stands where the output belongs
            QDir(out->path()).mkdir(name);
        if (kind == "empty")
            return makeFile(name, "");
        if (kind == "utf8") // already UTF-8: the guard against a legacy source keeps it
            return makeFile(name, kUtf8Text);
        if (kind == "invalid") // 0x81 0x20 is no GB18030 character
            return makeFile(name, kGbText + "ab\x81\x20\n");
        if (kind == "unrepresentable") // 这 (D5E2) has no Big5 code
            return makeFile(name, "a\r\nb\r\n\xD6\xD0\xD5\xE2\r\n");
        return makeFile(name, kGbText);
    }

    // Converts, and reads the one report.
    Report convert() { return convertAndRead(window.get()); }

private slots:
    void init()
    {
        window = std::make_unique<mainwindow>();
        in = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/输入 目录-XXXXXX");
        out = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/输出 目录-XXXXXX");
        QVERIFY(in->isValid() && out->isValid());
        lineEdit()->setText(out->path());
    }

    void cleanup()
    {
        ConversionRun::holdForTesting(velloran::kNoEntry);
        // QTemporaryDir cannot remove names that are not UTF-8.
        filetree::removeAll(in->path());
        filetree::removeAll(out->path());
    }

    void reportSections_data()
    {
        QTest::addColumn<QStringList>("kinds"); // see makeEntry()
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("details"); // {N} stands for the N-th entry
        const auto row = [](const char *tag, const QStringList &kinds, const char *target,
                            const char *text, const QString &details) {
            QTest::newRow(tag) << kinds << QString(target) << QString(text) << details;
        };
        const QString read = "以下文件因为无法读取而转换失败：\n";
        const QString write = "\n以下文件因为无法写入而转换失败\n";
        const QString invalid = "\n以下文件含有源编码无法识别的字节而转换失败：\n";
        const QString unrepresentable = "\n以下文件含有目标编码无法表示的字符而转换失败：\n";

        // The encodings as the window starts: GB18030 to UTF-8.
        row("all converted", {"ok", "empty", "ok"}, "", "成功3个，失败0个", "");
        // Sections in a fixed order; entries in list order.
        row("read and write", {"blocked", "missing", "ok", "missing"}, "Big5", "成功1个，失败3个",
            read + "{1}\n{3}\n" + write + "{0}\n");
        row("encoding failures", {"unrepresentable", "invalid", "ok", "missing", "invalid"}, "Big5",
            "成功1个，失败4个",
            read + "{3}\n" + invalid + "{1}（第2行）\n{4}（第2行）\n" + unrepresentable +
                "{0}（第3行：“这”）\n");
        row("already UTF-8", {"utf8", "ok"}, "", "成功1个，失败1个",
            "\n以下文件看起来已经是UTF-8编码，未转换：\n{0}\n");
    }

    void reportSections()
    {
        QFETCH(QStringList, kinds);
        QFETCH(QString, target);
        QFETCH(QString, text);
        QFETCH(QString, details);
        QStringList paths;
        for (int i = 0; i < kinds.size(); ++i) {
            paths << makeEntry(kinds[i], i);
            details.replace(QString("{%1}").arg(i), paths[i]);
        }
        list()->addItems(paths);
        if (!target.isEmpty())
            window->findChild<QComboBox *>("comboBox_2")->setCurrentText(target);

        const Report report = convert();
        QCOMPARE(report.title, QString("转换结果"));
        QCOMPARE(report.text, text);
        QCOMPARE(report.details, details);
        QCOMPARE(report.buttons, QStringList{"Yes:确定(&Y)"});
        QCOMPARE(report.icon, QMessageBox::NoIcon);

        // Converted files are complete; failed ones leave nothing behind.
        const QByteArray converted = target.isEmpty() ? kUtf8Text : kBig5Text;
        for (int i = 0; i < kinds.size(); ++i) {
            const QString output = out->filePath(QFileInfo(paths[i]).fileName());
            if (kinds[i] == "ok" || kinds[i] == "empty")
                QCOMPARE(readFile(output), kinds[i] == "ok" ? converted : QByteArray());
            else if (kinds[i] != "blocked")
                QVERIFY2(!QFile::exists(output), qPrintable(output));
        }
        const QStringList leftovers = QDir(out->path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(leftovers.size(), kinds.count("ok") + kinds.count("empty"));

        // The run leaves the window as it was.
        QCOMPARE(listEntries(window.get()), paths);
        QCOMPARE(lineEdit()->text(), out->path());
        QCOMPARE(window->findChild<QComboBox *>("comboBox")->currentText(), QString("GB18030"));
    }

    void silentWithoutEntriesOrDirectory()
    {
        QCOMPARE(modal::click(window.get(), "pushButton_4"), 0);
        list()->addItem(makeEntry("ok", 0));
        lineEdit()->clear();
        QCOMPARE(modal::click(window.get(), "pushButton_4"), 0);
        QVERIFY(QDir(out->path()).isEmpty());
    }

    void unknownEncodingConvertsNothing()
    {
        list()->addItem(makeEntry("ok", 0));
        auto *source = window->findChild<QComboBox *>("comboBox");
        // A name that looks like a placeholder is shown as it is.
        source->addItem("NoSuch%1");
        source->setCurrentText("NoSuch%1");

        const Report report = convert();
        QCOMPARE(report.title, QString("转换结果"));
        QCOMPARE(report.text, QString("无法识别编码“NoSuch%1”，未转换任何文件。"));
        QCOMPARE(report.icon, QMessageBox::Warning);
        QVERIFY(QDir(out->path()).isEmpty());
    }

    void selectpathAndCancel()
    {
        const auto browse = [&](const modal::Step &step) {
            return modal::click(window.get(), "toolButton", {step});
        };
        lineEdit()->clear();
        const modal::Step choose = [&](QWidget *w) {
            QCOMPARE(w->windowTitle(), QString("请选择输出目录："));
            QVERIFY(static_cast<QFileDialog *>(w)->testOption(QFileDialog::ShowDirsOnly));
            modal::choose(out->path(), out->path())(w);
        };
        QCOMPARE(browse(choose), 1);
        QCOMPARE(lineEdit()->text(), out->path());

        // The next dialog opens there; a cancel keeps the text but forgets the
        // start, so the one after opens where the cancelled one was left.
        QString openedIn;
        QCOMPARE(browse(modal::noteAndCancel(openedIn, in->path())), 1);
        QCOMPARE(openedIn, out->path());
        QCOMPARE(lineEdit()->text(), out->path());
        QCOMPARE(browse(modal::noteAndCancel(openedIn)), 1);
        QCOMPARE(openedIn, in->path());
    }

    // A long run shows a progress dialog that keeps being served and can stop
    // the run. Its label counts the file being converted, not those finished.
    // The run is held before its second entry until it is cancelled.
    void cancelFromProgressDialog()
    {
        ConversionRun::holdForTesting(1);
        const QByteArray big = kGbText.repeated(200000);
        for (int i = 0; i < 8; ++i)
            list()->addItem(makeFile(QString("大文件%1.txt").arg(i), big));

        QString title, label, cancelText;
        PaintCounter *counter = nullptr;
        int paints = 0;
        // Cancelled once the dialog was painted and the first entry is done.
        const Report report =
            convertAndRead(window.get(), cancelWhen(
                                             [&](QProgressDialog *dialog) {
                                                 return counter->paints > 0 && dialog->value() >= 1;
                                             },
                                             [&](QProgressDialog *dialog) {
                                                 title = dialog->windowTitle();
                                                 label = dialog->labelText();
                                                 cancelText =
                                                     dialog->findChild<QPushButton *>()->text();
                                                 counter = new PaintCounter(dialog);
                                                 qApp->installEventFilter(counter);
                                                 dialog->update();
                                             },
                                             [&](QProgressDialog *) { paints = counter->paints; }));

        QCOMPARE(title, QString("转换中"));
        // The count is that of the file named below it.
        const QRegularExpressionMatch shown =
            QRegularExpression("^正在转换 (\\d)/8\n大文件(\\d)\\.txt$").match(label);
        QVERIFY2(shown.hasMatch(), qPrintable(label));
        QCOMPARE(shown.captured(1).toInt(), shown.captured(2).toInt() + 1);
        QCOMPARE(cancelText, QString("取消"));
        QVERIFY(paints > 0);

        const auto [succeeded, cancelled] = cancelledCounts(report);
        QVERIFY2(succeeded >= 1 && cancelled > 0, qPrintable(report.text));
        QCOMPARE(succeeded + cancelled, 8);

        // No temporary output is left, and what was written is complete.
        const QStringList written = QDir(out->path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(written.size(), succeeded);
        for (const QString &name : written)
            QCOMPARE(readFile(out->filePath(name)).size(), big.size() / 5 * 7);

        // The details name each entry that was not converted, in list order.
        QString notConverted;
        for (const QString &entry : listEntries(window.get())) {
            if (!written.contains(QFileInfo(entry).fileName()))
                notConverted += entry + '\n';
        }
        QCOMPARE(report.details, "\n以下文件因取消而未转换：\n" + notConverted);
    }

    // A run of one file shows its progress in bytes, under the same label.
    void progressCountsTheOnlyFile()
    {
        ConversionRun::holdForTesting(0);
        list()->addItem(makeFile("大文件.txt", kGbText.repeated(200000)));
        QString label;
        const modal::Step cancelAtOnce = [&](QWidget *w) {
            auto *dialog = qobject_cast<QProgressDialog *>(w);
            QVERIFY(dialog);
            label = dialog->labelText();
            dialog->findChild<QPushButton *>()->click();
        };
        QCOMPARE(convertAndRead(window.get(), cancelAtOnce).text,
                 QString("成功0个，失败0个，取消1个"));
        QCOMPARE(label, QString("正在转换 1/1\n大文件.txt"));
    }

    // The report is wide enough for a path on one line, and no wider than the screen.
    void reportWidth_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("oneLine");
        QTest::newRow("typical path") << "第一季/第01集 字幕.srt" << true;
        QTest::newRow("long path") << QString("很长的目录名/").repeated(20) + "文件.txt" << false;
    }

    void reportWidth()
    {
        QFETCH(QString, name);
        QFETCH(bool, oneLine);
        const QString missing = in->filePath(name);
        list()->addItem(missing);
        int width = 0, lines = 0;
        QString details;
        const modal::Step box = [&](QWidget *w) {
            auto *messageBox = qobject_cast<QMessageBox *>(w);
            QVERIFY(messageBox);
            for (QAbstractButton *button : messageBox->buttons()) {
                if (messageBox->buttonRole(button) == QMessageBox::ActionRole)
                    button->click(); // "Show Details..."
            }
            auto *edit = messageBox->findChild<QTextEdit *>();
            QVERIFY(edit);
            QTRY_VERIFY(edit->isVisible());
            details = edit->toPlainText();
            edit->document()->size(); // lays the text out
            lines = edit->document()->findBlockByNumber(1).layout()->lineCount();
            width = messageBox->width();
        };
        QCOMPARE(modal::click(window.get(), "pushButton_4", {box}), 1);
        QCOMPARE(details, "以下文件因为无法读取而转换失败：\n" + missing + '\n');
        QVERIFY2(width >= 560, qPrintable(QString::number(width)));
        QVERIFY2(width <= QGuiApplication::primaryScreen()->availableGeometry().width(),
                 qPrintable(QString::number(width)));
        if (oneLine)
            QCOMPARE(lines, 1);
    }

    // A name that is not UTF-8 (GBK, made on Windows) is found by the
    // directory scan, listed readably, and converted under the same bytes.
    void gbkNamedFile()
    {
        const QByteArray dir = QFile::encodeName(in->path());
        QVERIFY(filetree::makeRaw(dir + '/' + filetree::kGbkName, kGbText));
        const int dialogs =
            modal::click(window.get(), "pushButton_2",
                         {modal::enter("txt"), modal::choose(in->path(), in->path())});
        QCOMPARE(dialogs, 2);
        QCOMPARE(listEntries(window.get()),
                 QStringList{in->path() + '/' + filetree::kGbkNameShown});

        const Report report = convert();
        QCOMPARE(report.text, QString("成功1个，失败0个"));
        QCOMPARE(filetree::readRaw(QFile::encodeName(out->path()) + '/' + filetree::kGbkName),
                 kUtf8Text);
        const std::filesystem::path output(QFile::encodeName(out->path()).toStdString());
        QCOMPARE(std::distance(std::filesystem::directory_iterator(output),
                               std::filesystem::directory_iterator()),
                 1);
    }
};

QTEST_MAIN(TestConversion)
#include "test_conversion.moc"
