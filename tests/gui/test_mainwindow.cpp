// The window as a user first sees it: its widgets, texts, sizes, encoding
// lists and context menu.
#include "app/mainwindow.h"
#include "ui/mainwindowui.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void titleAndName();
    void exactlyFiveSlotsInOrder();
    void rowsInOrder();
    void buttonTexts_data();
    void buttonTexts();
    void fixedSizes_data();
    void fixedSizes();
    void captionsAreRichText();
    void encodingLists_data();
    void encodingLists();
    void retranslateRefillsLists();
    void existingObjectNameIsKept();
    void contextMenuActions();
    void otherWidgetsHaveNoMenu();
    void acceptsDrops();

private:
    template <typename T> static T *child(QWidget &w, const char *name)
    {
        auto *c = w.findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("missing child %s", name);
        return c;
    }
    static QStringList items(QComboBox *box)
    {
        QStringList names;
        for (int i = 0; i < box->count(); ++i)
            names << box->itemText(i);
        return names;
    }
};

void TestMainWindow::titleAndName()
{
    mainwindow w;
    QCOMPARE(w.windowTitle(), QString("Velloran1.1 By:Tamsrik"));
    QCOMPARE(w.objectName(), QString("mainwindow"));
    QCOMPARE(w.size(), QSize(400, 311));
    QCOMPARE(QString(w.metaObject()->className()), QString("mainwindow"));
}

void TestMainWindow::exactlyFiveSlotsInOrder()
{
    const QMetaObject *meta = &mainwindow::staticMetaObject;
    QCOMPARE(meta->methodCount() - meta->methodOffset(), 5);
    const QStringList expected{"selectpath", "addpath", "add", "deleteitem", "start"};
    for (int i = 0; i < 5; ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        QCOMPARE(QString(method.name()), expected[i]);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        QCOMPARE(method.parameterCount(), 0);
    }
}

// Three rows: list and buttons; output directory; encodings.
void TestMainWindow::rowsInOrder()
{
    mainwindow w;
    auto *top = qobject_cast<QVBoxLayout *>(w.layout());
    QVERIFY(top);
    QCOMPARE(top->objectName(), QString("verticalLayout_2"));
    QCOMPARE(top->count(), 3);
    QCOMPARE(top->itemAt(0)->layout()->objectName(), QString("horizontalLayout_2"));
    QCOMPARE(top->itemAt(1)->layout()->objectName(), QString("horizontalLayout"));
    QCOMPARE(top->itemAt(2)->layout()->objectName(), QString("horizontalLayout_3"));

    QLayout *row1 = top->itemAt(0)->layout();
    QCOMPARE(row1->itemAt(0)->widget()->objectName(), QString("listWidget"));
    QLayout *buttons = row1->itemAt(1)->layout();
    QCOMPARE(buttons->objectName(), QString("verticalLayout"));
    QCOMPARE(buttons->count(), 7);
    const QStringList buttonNames{"pushButton", "pushButton_2", "pushButton_3", "pushButton_4"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(buttons->itemAt(2 * i)->widget()->objectName(), buttonNames[i]);
    for (int i = 1; i < 7; i += 2) {
        QSpacerItem *spacer = buttons->itemAt(i)->spacerItem();
        QVERIFY(spacer);
        QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(spacer->sizeHint(), QSize(20, 40));
    }

    QLayout *row2 = top->itemAt(1)->layout();
    QCOMPARE(row2->count(), 3);
    QCOMPARE(row2->itemAt(0)->widget()->objectName(), QString("label"));
    QCOMPARE(row2->itemAt(1)->widget()->objectName(), QString("lineEdit"));
    QCOMPARE(row2->itemAt(2)->widget()->objectName(), QString("toolButton"));

    QLayout *row3 = top->itemAt(2)->layout();
    QCOMPARE(row3->count(), 7);
    QCOMPARE(row3->itemAt(1)->widget()->objectName(), QString("comboBox"));
    QCOMPARE(row3->itemAt(3)->widget()->objectName(), QString("label_2"));
    QCOMPARE(row3->itemAt(5)->widget()->objectName(), QString("comboBox_2"));
    for (int i : {0, 2, 4, 6}) {
        QSpacerItem *spacer = row3->itemAt(i)->spacerItem();
        QVERIFY(spacer);
        QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(spacer->sizeHint(), QSize(40, 20));
    }
    QVERIFY(child<QLineEdit>(w, "lineEdit")->text().isEmpty());
    QCOMPARE(child<QListWidget>(w, "listWidget")->count(), 0);
}

void TestMainWindow::buttonTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("add") << "pushButton" << "添加";
    QTest::newRow("add directory") << "pushButton_2" << "添加目录";
    QTest::newRow("delete") << "pushButton_3" << "删除";
    QTest::newRow("convert") << "pushButton_4" << "转换";
    QTest::newRow("browse") << "toolButton" << "...";
}

void TestMainWindow::buttonTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    mainwindow w;
    auto *button = w.findChild<QAbstractButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), text);
}

void TestMainWindow::fixedSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    for (const char *name : {"pushButton", "pushButton_2", "pushButton_3", "pushButton_4"})
        QTest::newRow(name) << name << QSize(83, 31);
    QTest::newRow("label") << "label" << QSize(61, 23);
    QTest::newRow("toolButton") << "toolButton" << QSize(25, 23);
}

// These widgets keep their size however the window is resized.
void TestMainWindow::fixedSizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    mainwindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *widget = w.findChild<QWidget *>(name);
    QVERIFY(widget);
    for (QSize windowSize : {QSize(400, 311), QSize(900, 700), QSize(420, 250)}) {
        w.resize(windowSize);
        QCoreApplication::processEvents();
        QCOMPARE(widget->size(), size);
    }
    auto *lineEdit = child<QLineEdit>(w, "lineEdit");
    QCOMPARE(lineEdit->minimumSize(), QSize(281, 22));
    w.resize(100, 100);
    QCoreApplication::processEvents();
    QVERIFY(lineEdit->width() >= 281);
}

void TestMainWindow::captionsAreRichText()
{
    mainwindow w;
    auto *label = child<QLabel>(w, "label");
    auto *label2 = child<QLabel>(w, "label_2");
    QCOMPARE(label->textFormat(), Qt::AutoText);
    QVERIFY(Qt::mightBeRichText(label->text()));
    QVERIFY(label->text().contains("qrichtext"));
    QVERIFY(label->text().contains("font-size:11pt;\">输出目录:</span>"));
    QVERIFY(label2->text().contains("font-size:10pt;\">转到</span>"));
    QTextDocument doc;
    doc.setHtml(label->text());
    QCOMPARE(doc.toPlainText(), QString("输出目录:"));
    doc.setHtml(label2->text());
    QCOMPARE(doc.toPlainText(), QString("转到"));
}

void TestMainWindow::encodingLists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("source") << "comboBox"
                            << QStringList{"GB18030", "GBK", "GB2312", "Big5", "UTF-8",
                                           "UTF-16", "UTF-32", "UTF-7"};
    QTest::newRow("target") << "comboBox_2"
                            << QStringList{"UTF-8", "UTF-16", "UTF-32", "UTF-7", "GB18030",
                                           "GBK", "GB2312", "Big5"};
}

void TestMainWindow::encodingLists()
{
    QFETCH(QString, name);
    QFETCH(QStringList, expected);
    mainwindow w;
    auto *box = w.findChild<QComboBox *>(name);
    QVERIFY(box);
    QCOMPARE(items(box), expected);
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(box->currentText(), expected.first());
}

void TestMainWindow::retranslateRefillsLists()
{
    QWidget window;
    mainwindowui ui;
    ui.setupUi(&window);
    ui.comboBox->setCurrentIndex(3);
    ui.comboBox_2->setCurrentIndex(5);
    ui.retranslateUi(&window);
    QCOMPARE(ui.comboBox->count(), 8);
    QCOMPARE(ui.comboBox_2->count(), 8);
    QCOMPARE(ui.comboBox->currentIndex(), 0);
    QCOMPARE(ui.comboBox_2->currentIndex(), 0);
    const QStringList names = items(ui.comboBox);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 8);
    QCOMPARE(window.windowTitle(), QString("Form"));
}

void TestMainWindow::existingObjectNameIsKept()
{
    QWidget named;
    named.setObjectName("mine");
    mainwindowui ui;
    ui.setupUi(&named);
    QCOMPARE(named.objectName(), QString("mine"));
}

void TestMainWindow::contextMenuActions()
{
    mainwindow w;
    auto *list = child<QListWidget>(w, "listWidget");
    QCOMPARE(list->contextMenuPolicy(), Qt::ActionsContextMenu);
    const QList<QAction *> actions = list->actions();
    QCOMPARE(actions.size(), 4);
    const QStringList texts{"添加文件", "添加目录", "删除表项", "清空列表"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(actions[i]->text(), texts[i]);
        QCOMPARE(actions[i]->shortcut().isEmpty(), i != 2);
    }
    QCOMPARE(actions[2]->shortcut(), QKeySequence(Qt::Key_Delete));
}

void TestMainWindow::otherWidgetsHaveNoMenu()
{
    mainwindow w;
    QVERIFY(w.actions().isEmpty());
    for (QWidget *widget : w.findChildren<QWidget *>()) {
        if (widget->objectName() == "listWidget")
            continue;
        QVERIFY2(widget->actions().isEmpty(), qPrintable(widget->objectName()));
        QVERIFY(widget->contextMenuPolicy() != Qt::ActionsContextMenu);
    }
}

void TestMainWindow::acceptsDrops()
{
    mainwindow w;
    QVERIFY(w.acceptDrops());
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
