// Converting from the window: the output directory, the run, and the report.
#include "app/mainwindow.h"
#include "convert/conversionrun.h"
#include "modaldriver.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// 中文 and a line feed, in GB18030 and in Big5.
const QByteArray kGbText("\xD6\xD0\xCE\xC4\n");
const QByteArray kBig5Text("\xA4\xA4\xA4\xE5\n");

struct Report {
    QString title, text, details;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool yesOnly = false;
};

// Reads the message box on screen and closes it with its button.
Report readAndClose(QWidget *w)
{
    Report report;
    auto *box = qobject_cast<QMessageBox *>(w);
    if (!box)
        return report;
    report.title = box->windowTitle();
    report.text = box->text();
    report.details = box->detailedText();
    report.icon = box->icon();
    // Qt adds its own "Show Details..." button when there are details.
    QList<QAbstractButton *> buttons;
    for (QAbstractButton *button : box->buttons()) {
        if (box->buttonRole(button) != QMessageBox::ActionRole)
            buttons << button;
    }
    for (QAbstractButton *button : buttons)
        report.buttons << button->text();
    report.yesOnly = buttons.size() == 1 && box->button(QMessageBox::Yes) == buttons.first();
    if (!buttons.isEmpty())
        buttons.first()->click();
    return report;
}

} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void convertsAndReports();
    void reportSections_data();
    void reportSections();
    void silentWithoutEntriesOrDirectory();
    void unknownEncodingConvertsNothing();
    void selectpathAndCancel();
    void cancelFromProgressDialog();

private:
    QString makeFile(const QString &name, const QByteArray &bytes);
    QString makeEntry(const QString &kind, int index);
    Report convert();
    QStringList entries() const;
    QByteArray read(const QString &path) const;

    template <typename T> T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }

    std::unique_ptr<mainwindow> window;
    std::unique_ptr<QTemporaryDir> in, out;
};

void TestConversion::init()
{
    window = std::make_unique<mainwindow>();
    in = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/输入 目录-XXXXXX");
    out = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/输出 目录-XXXXXX");
    QVERIFY(in->isValid() && out->isValid());
    child<QLineEdit>("lineEdit")->setText(out->path());
}

void TestConversion::cleanup()
{
    ConversionRun::setChunkSizeForTesting(0);
}

QString TestConversion::makeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(in->filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot create fixture");
    return file.fileName();
}

// One list entry that ends the run in a known way.
QString TestConversion::makeEntry(const QString &kind, int index)
{
    const QString name = QString("%1 %2.txt").arg(kind).arg(index);
    if (kind == "ok")
        return makeFile(name, kGbText);
    if (kind == "missing")
        return in->filePath(name);
    if (kind == "blocked") { // a directory stands where the output belongs
        QDir(out->path()).mkdir(name);
        return makeFile(name, kGbText);
    }
    if (kind == "invalid") // 0x81 0x20 is no GB18030 character
        return makeFile(name, kGbText + "ab\x81\x20\n");
    if (kind == "unrepresentable") // 这 (D5E2) has no Big5 code
        return makeFile(name, "a\r\nb\r\n\xD6\xD0\xD5\xE2\r\n");
    qFatal("unknown kind");
}

QStringList TestConversion::entries() const
{
    QStringList texts;
    auto *list = child<QListWidget>("listWidget");
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QByteArray TestConversion::read(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

Report TestConversion::convert()
{
    Report report;
    auto handled = modal::whenShown([&](QWidget *w) { report = readAndClose(w); });
    child<QPushButton>("pushButton_4")->click();
    if (!*handled)
        qWarning("no report was shown");
    return report;
}

void TestConversion::convertsAndReports()
{
    const QStringList files{makeFile("一.txt", kGbText), makeFile("二.txt", kGbText + kGbText),
                            makeFile("三.txt", "")};
    child<QListWidget>("listWidget")->addItems(files);

    const Report report = convert();
    QCOMPARE(report.title, QString("转换结果"));
    QCOMPARE(report.text, QString("成功3个，失败0个"));
    QVERIFY(report.details.isEmpty());
    QCOMPARE(report.buttons, QStringList{"确定(&Y)"});
    QVERIFY(report.yesOnly);
    QCOMPARE(report.icon, QMessageBox::NoIcon);

    const QByteArray utf8("\xE4\xB8\xAD\xE6\x96\x87\n");
    QCOMPARE(read(out->filePath("一.txt")), utf8);
    QCOMPARE(read(out->filePath("二.txt")), utf8 + utf8);
    QCOMPARE(read(out->filePath("三.txt")), QByteArray());
    // The run leaves the window as it was.
    QCOMPARE(entries(), files);
    QCOMPARE(child<QLineEdit>("lineEdit")->text(), out->path());
    QCOMPARE(child<QComboBox>("comboBox")->currentText(), QString("GB18030"));
}

void TestConversion::reportSections_data()
{
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("details"); // {N} stands for the N-th entry

    const QString read = "以下文件因为无法读取而转换失败：\n";
    const QString write = "\n以下文件因为无法写入而转换失败\n";
    const QString invalid = "\n以下文件含有源编码无法识别的字节而转换失败：\n";
    const QString unrepresentable = "\n以下文件含有目标编码无法表示的字符而转换失败：\n";

    QTest::newRow("all converted") << QStringList{"ok", "ok", "ok"} << "成功3个，失败0个" << "";
    QTest::newRow("read failures") << QStringList{"ok", "missing", "ok", "missing"}
                                   << "成功2个，失败2个" << read + "{1}\n{3}\n";
    QTest::newRow("write failures") << QStringList{"ok", "blocked"} << "成功1个，失败1个"
                                    << write + "{1}\n";
    QTest::newRow("both") << QStringList{"blocked", "missing", "ok"} << "成功1个，失败2个"
                          << read + "{1}\n" + write + "{0}\n";
    QTest::newRow("all failed") << QStringList{"missing", "blocked", "missing"}
                                << "成功0个，失败3个" << read + "{0}\n{2}\n" + write + "{1}\n";
    QTest::newRow("encoding failures")
        << QStringList{"unrepresentable", "invalid", "ok", "missing", "invalid"}
        << "成功1个，失败4个"
        << read + "{3}\n" + invalid + "{1}（第2行）\n{4}（第2行）\n" + unrepresentable +
               "{0}（第3行：“这”）\n";
}

void TestConversion::reportSections()
{
    QFETCH(QStringList, kinds);
    QFETCH(QString, text);
    QFETCH(QString, details);

    QStringList paths;
    for (int i = 0; i < kinds.size(); ++i)
        paths << makeEntry(kinds[i], i);
    for (int i = 0; i < paths.size(); ++i)
        details.replace(QString("{%1}").arg(i), paths[i]);
    child<QListWidget>("listWidget")->addItems(paths);
    child<QComboBox>("comboBox_2")->setCurrentText("Big5");

    const Report report = convert();
    QCOMPARE(report.title, QString("转换结果"));
    QCOMPARE(report.text, text);
    QCOMPARE(report.details, details);
    QCOMPARE(report.buttons, QStringList{"确定(&Y)"});

    // Converted files are complete; failed ones leave nothing behind.
    for (int i = 0; i < kinds.size(); ++i) {
        const QString output = out->filePath(QFileInfo(paths[i]).fileName());
        if (kinds[i] == "ok")
            QCOMPARE(read(output), kBig5Text);
        else if (kinds[i] != "blocked")
            QVERIFY2(!QFile::exists(output), qPrintable(output));
    }
    const QStringList leftovers = QDir(out->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(leftovers.size(), kinds.count("ok"));
}

void TestConversion::silentWithoutEntriesOrDirectory()
{
    auto handled = modal::whenShown([](QWidget *w) { readAndClose(w); }, 500);
    child<QPushButton>("pushButton_4")->click();
    QTest::qWait(600);
    QVERIFY(!*handled);

    child<QListWidget>("listWidget")->addItem(makeFile("a.txt", kGbText));
    child<QLineEdit>("lineEdit")->clear();
    handled = modal::whenShown([](QWidget *w) { readAndClose(w); }, 500);
    child<QPushButton>("pushButton_4")->click();
    QTest::qWait(600);
    QVERIFY(!*handled);
    QVERIFY(QDir(out->path()).isEmpty());
}

void TestConversion::unknownEncodingConvertsNothing()
{
    child<QListWidget>("listWidget")->addItem(makeFile("a.txt", kGbText));
    auto *source = child<QComboBox>("comboBox");
    source->addItem("NoSuchEncoding");
    source->setCurrentText("NoSuchEncoding");

    const Report report = convert();
    QCOMPARE(report.title, QString("转换结果"));
    QCOMPARE(report.text, QString("无法识别编码“NoSuchEncoding”，未转换任何文件。"));
    QCOMPARE(report.icon, QMessageBox::Warning);
    QVERIFY(QDir(out->path()).isEmpty());
}

void TestConversion::selectpathAndCancel()
{
    auto *lineEdit = child<QLineEdit>("lineEdit");
    lineEdit->clear();
    auto handled = modal::whenShown([&](QWidget *w) {
        QCOMPARE(w->windowTitle(), QString("请选择输出目录："));
        QVERIFY(static_cast<QFileDialog *>(w)->testOption(QFileDialog::ShowDirsOnly));
        modal::chooseDirectory(w, out->path());
    });
    child<QToolButton>("toolButton")->click();
    QVERIFY(*handled);
    QCOMPARE(lineEdit->text(), out->path());

    // The next dialog opens there; a cancel keeps the text but forgets the start.
    QString openedIn;
    // Qt's dialog reopens wherever the last one was left, so leave it elsewhere.
    handled = modal::whenShown([&](QWidget *w) {
        openedIn = static_cast<QFileDialog *>(w)->directory().absolutePath();
        static_cast<QFileDialog *>(w)->setDirectory(in->path());
        modal::reject(w);
    });
    child<QToolButton>("toolButton")->click();
    QVERIFY(*handled);
    QCOMPARE(openedIn, out->path());
    QCOMPARE(lineEdit->text(), out->path());

    handled = modal::whenShown([&](QWidget *w) {
        openedIn = static_cast<QFileDialog *>(w)->directory().absolutePath();
        modal::reject(w);
    });
    child<QToolButton>("toolButton")->click();
    QVERIFY(*handled);
    QVERIFY(openedIn != out->path());
}

// A long run shows a progress dialog that stays alive and can stop the run.
void TestConversion::cancelFromProgressDialog()
{
    ConversionRun::setChunkSizeForTesting(1);
    QByteArray big;
    for (int i = 0; i < 200000; ++i)
        big += kGbText;
    QStringList files;
    for (int i = 0; i < 8; ++i)
        files << makeFile(QString("大文件%1.txt").arg(i), big);
    child<QListWidget>("listWidget")->addItems(files);

    int paints = 0, timers = 0;
    QString title, label, cancelText;
    Report report;
    auto progressSeen = modal::whenShown([&](QWidget *w) {
        auto *dialog = qobject_cast<QProgressDialog *>(w);
        QVERIFY(dialog);
        title = dialog->windowTitle();
        label = dialog->labelText();
        cancelText = dialog->findChild<QPushButton *>()->text();
        // Counts what the dialog and its children receive while the workers run.
        struct Counter : QObject {
            QWidget *dialog;
            int &paints, &timers;
            Counter(QWidget *d, int &p, int &t) : dialog(d), paints(p), timers(t) {}
            bool eventFilter(QObject *o, QEvent *e) override
            {
                auto *w = qobject_cast<QWidget *>(o);
                const bool inDialog = w && (w == dialog || dialog->isAncestorOf(w));
                paints += inDialog && e->type() == QEvent::Paint;
                timers += e->type() == QEvent::Timer;
                return false;
            }
        };
        auto *counter = new Counter(dialog, paints, timers);
        counter->setParent(dialog);
        qApp->installEventFilter(counter);
        // Served only if the GUI thread keeps processing events during the run.
        dialog->update();
        QTimer::singleShot(300, dialog, [&, dialog] {
            modal::whenShown([&](QWidget *box) { report = readAndClose(box); });
            dialog->findChild<QPushButton *>()->click();
        });
    });
    child<QPushButton>("pushButton_4")->click();
    QVERIFY(*progressSeen);

    QCOMPARE(title, QString("转换中"));
    QVERIFY2(QRegularExpression("^正在转换 \\d/8\n大文件\\d\\.txt$").match(label).hasMatch(),
             qPrintable(label));
    QCOMPARE(cancelText, QString("取消"));
    QVERIFY(paints > 0);
    QVERIFY(timers > 0);

    const QRegularExpressionMatch counts =
        QRegularExpression("^成功(\\d+)个，失败0个，取消(\\d+)个$").match(report.text);
    QVERIFY2(counts.hasMatch(), qPrintable(report.text));
    const int succeeded = counts.captured(1).toInt(), cancelled = counts.captured(2).toInt();
    QCOMPARE(succeeded + cancelled, 8);
    QVERIFY(cancelled > 0);
    QVERIFY(report.details.isEmpty());

    // No temporary output is left, and what was written is complete.
    const QStringList written = QDir(out->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(written.size(), succeeded);
    for (const QString &name : written)
        QCOMPARE(read(out->filePath(name)).size(), big.size() / 5 * 7);
}

QTEST_MAIN(TestConversion)
#include "test_conversion.moc"
