// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <QtTest>

// A layout as text: widgets by name, spacers as "|" (vertical) or "-",
// nested boxes in brackets, "V" or "H" for their direction.
static QString describe(QLayout *layout)
{
    QStringList parts;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget())
            parts << item->widget()->objectName();
        else if (item->spacerItem())
            parts << (item->expandingDirections() == Qt::Vertical ? "|" : "-");
        else
            parts << describe(item->layout());
    }
    const bool vertical =
        qobject_cast<QBoxLayout *>(layout)->direction() == QBoxLayout::TopToBottom;
    return (vertical ? "V(" : "H(") + parts.join(' ') + ")";
}

static QStringList items(const QComboBox *box)
{
    QStringList names;
    for (int i = 0; i < box->count(); ++i)
        names << box->itemText(i);
    return names;
}

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void windowAndRows()
    {
        mainwindow w;
        QCOMPARE(w.windowTitle(), QString("Velloran1.1 By:Tamsrik"));
        QCOMPARE(w.size(), QSize(400, 311));
        QVERIFY(w.acceptDrops());
        QVERIFY(w.findChild<QLineEdit *>("lineEdit")->text().isEmpty());
        QCOMPARE(w.findChild<QListWidget *>("listWidget")->count(), 0);

        // The commands are these five slots, in this order, and no others.
        const QMetaObject *meta = w.metaObject();
        QStringList slotNames;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
            slotNames << meta->method(i).name();
        QCOMPARE(slotNames, (QStringList{"selectpath", "addpath", "add", "deleteitem", "start"}));

        // Three rows: list and buttons; output directory; encodings.
        QCOMPARE(
            describe(w.layout()),
            QString("V(H(listWidget V(pushButton | pushButton_2 | pushButton_3 | pushButton_4)) "
                    "H(label lineEdit toolButton) "
                    "H(- comboBox - label_2 - comboBox_2 -))"));
    }

    void widgets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");  // as shown; a caption's rich text as plain text
        QTest::addColumn<int>("pointSize"); // a caption's font size
        QTest::addColumn<QSize>("size");    // kept however the window is resized, if valid
        const auto row = [](const char *tag, const char *name, const char *text, int pointSize,
                            QSize size) {
            QTest::newRow(tag) << QString(name) << QString(text) << pointSize << size;
        };
        row("add", "pushButton", "添加", 0, QSize(83, 31));
        row("add directory", "pushButton_2", "添加目录", 0, QSize(83, 31));
        row("delete", "pushButton_3", "删除", 0, QSize(83, 31));
        row("convert", "pushButton_4", "转换", 0, QSize(83, 31));
        row("browse", "toolButton", "...", 0, QSize(25, 23));
        row("output caption", "label", "输出目录:", 11, QSize(61, 23));
        row("between the lists", "label_2", "转到", 10, QSize());
    }

    void widgets()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, pointSize);
        QFETCH(QSize, size);
        mainwindow w;
        auto *widget = w.findChild<QWidget *>(name);
        QVERIFY(widget);
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            QCOMPARE(label->textFormat(), Qt::AutoText);
            QVERIFY(label->text().contains("qrichtext"));
            QVERIFY(label->text().contains(
                QString("font-size:%1pt;\">%2</span>").arg(pointSize).arg(text)));
            QTextDocument doc;
            doc.setHtml(label->text());
            QCOMPARE(doc.toPlainText(), text);
        } else {
            QCOMPARE(qobject_cast<QAbstractButton *>(widget)->text(), text);
        }
        if (!size.isValid())
            return;

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (QSize windowSize : {QSize(400, 311), QSize(900, 700), QSize(100, 100)}) {
            w.resize(windowSize);
            QCoreApplication::processEvents();
            QCOMPARE(widget->size(), size);
            QVERIFY(w.findChild<QLineEdit *>("lineEdit")->width() >= 281);
        }
    }

    void encodingLists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("source") << "comboBox"
                                << QStringList{"GB18030", "GBK",    "GB2312", "Big5",
                                               "UTF-8",   "UTF-16", "UTF-32", "UTF-7"};
        QTest::newRow("target") << "comboBox_2"
                                << QStringList{"UTF-8",   "UTF-16", "UTF-32", "UTF-7",
                                               "GB18030", "GBK",    "GB2312", "Big5"};
    }

    void encodingLists()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        mainwindow w;
        auto *box = w.findChild<QComboBox *>(name);
        QVERIFY(box);
        QCOMPARE(items(box), expected);
        QCOMPARE(box->currentText(), expected.first());

        // Translating again refills the list instead of adding to it.
        QWidget window;
        mainwindowui ui;
        ui.setupUi(&window);
        box = window.findChild<QComboBox *>(name);
        box->setCurrentIndex(3);
        ui.retranslateUi(&window);
        QCOMPARE(items(box), expected);
        QCOMPARE(box->currentIndex(), 0);
    }

    void contextMenuOnTheListOnly()
    {
        mainwindow w;
        auto *list = w.findChild<QListWidget *>("listWidget");
        QCOMPARE(list->contextMenuPolicy(), Qt::ActionsContextMenu);
        QStringList texts;
        for (QAction *action : list->actions())
            texts << action->text() + ":" + action->shortcut().toString(QKeySequence::PortableText);
        QCOMPARE(texts, (QStringList{"添加文件:", "添加目录:", "删除表项:Del", "清空列表:"}));

        QList<QWidget *> others = w.findChildren<QWidget *>();
        others << &w;
        for (QWidget *widget : others) {
            QVERIFY(widget == list || widget->actions().isEmpty());
            QVERIFY(widget == list || widget->contextMenuPolicy() != Qt::ActionsContextMenu);
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
