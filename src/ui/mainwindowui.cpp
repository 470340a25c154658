#include "ui/mainwindowui.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("mainwindow", text);
}

// The captions are rich-text documents, as Qt's rich-text editor writes them.
QString richCaption(int pointSize, const char *text)
{
    const QString html =
        QStringLiteral(
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\" "
            "\"http://www.w3.org/TR/REC-html40/strict.dtd\">\n"
            "<html><head><meta name=\"qrichtext\" content=\"1\" />"
            "<style type=\"text/css\">\np, li { white-space: pre-wrap; }\n</style></head>"
            "<body style=\" font-family:'Ubuntu'; font-size:9pt; font-weight:400; "
            "font-style:normal;\">\n"
            "<p style=\" margin-top:0px; margin-bottom:0px; margin-left:0px; "
            "margin-right:0px; -qt-block-indent:0; text-indent:0px;\">"
            "<span style=\" font-size:%1pt;\">%2</span></p></body></html>")
            .arg(pointSize)
            .arg(QString::fromUtf8(text));
    return tr(html.toUtf8().constData());
}

QSpacerItem *verticalSpacer()
{
    return new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
}

QSpacerItem *horizontalSpacer()
{
    return new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

void setFixedLimits(QWidget *widget, int width, int height)
{
    widget->setMinimumSize(width, height);
    widget->setMaximumSize(width, height);
}

void fillEncodings(QComboBox *box, const QStringList &names)
{
    box->clear();
    box->insertItems(0, names);
}

} // namespace

QPushButton *mainwindowui::makeCommandButton(QWidget *window, const char *name)
{
    auto *button = new QPushButton(window);
    button->setObjectName(QString::fromLatin1(name));
    setFixedLimits(button, 83, 31);
    verticalLayout->addWidget(button);
    return button;
}

void mainwindowui::setupUi(QWidget *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName("mainwindow");
    window->resize(400, 311);

    verticalLayout_2 = new QVBoxLayout(window);
    verticalLayout_2->setObjectName("verticalLayout_2");

    // Row 1: the file list and the column of command buttons.
    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName("horizontalLayout_2");
    listWidget = new QListWidget(window);
    listWidget->setObjectName("listWidget");
    horizontalLayout_2->addWidget(listWidget);
    verticalLayout = new QVBoxLayout();
    verticalLayout->setObjectName("verticalLayout");
    pushButton = makeCommandButton(window, "pushButton");
    verticalSpacer = ::verticalSpacer();
    verticalLayout->addItem(verticalSpacer);
    pushButton_2 = makeCommandButton(window, "pushButton_2");
    verticalSpacer_2 = ::verticalSpacer();
    verticalLayout->addItem(verticalSpacer_2);
    pushButton_3 = makeCommandButton(window, "pushButton_3");
    verticalSpacer_3 = ::verticalSpacer();
    verticalLayout->addItem(verticalSpacer_3);
    pushButton_4 = makeCommandButton(window, "pushButton_4");
    horizontalLayout_2->addLayout(verticalLayout);
    verticalLayout_2->addLayout(horizontalLayout_2);

    // Row 2: the output directory.
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName("horizontalLayout");
    label = new QLabel(window);
    label->setObjectName("label");
    setFixedLimits(label, 61, 23);
    horizontalLayout->addWidget(label);
    lineEdit = new QLineEdit(window);
    lineEdit->setObjectName("lineEdit");
    lineEdit->setMinimumSize(281, 22);
    horizontalLayout->addWidget(lineEdit);
    toolButton = new QToolButton(window);
    toolButton->setObjectName("toolButton");
    setFixedLimits(toolButton, 25, 23);
    horizontalLayout->addWidget(toolButton);
    verticalLayout_2->addLayout(horizontalLayout);

    // Row 3: source encoding, caption, target encoding.
    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setObjectName("horizontalLayout_3");
    horizontalSpacer = ::horizontalSpacer();
    horizontalLayout_3->addItem(horizontalSpacer);
    comboBox = new QComboBox(window);
    comboBox->setObjectName("comboBox");
    horizontalLayout_3->addWidget(comboBox);
    horizontalSpacer_2 = ::horizontalSpacer();
    horizontalLayout_3->addItem(horizontalSpacer_2);
    label_2 = new QLabel(window);
    label_2->setObjectName("label_2");
    horizontalLayout_3->addWidget(label_2);
    horizontalSpacer_3 = ::horizontalSpacer();
    horizontalLayout_3->addItem(horizontalSpacer_3);
    comboBox_2 = new QComboBox(window);
    comboBox_2->setObjectName("comboBox_2");
    horizontalLayout_3->addWidget(comboBox_2);
    horizontalSpacer_4 = ::horizontalSpacer();
    horizontalLayout_3->addItem(horizontalSpacer_4);
    verticalLayout_2->addLayout(horizontalLayout_3);

    retranslateUi(window);

    QMetaObject::connectSlotsByName(window);
}

void mainwindowui::retranslateUi(QWidget *window)
{
    window->setWindowTitle(tr("Form"));
    pushButton->setText(tr("添加"));
    pushButton_2->setText(tr("添加目录"));
    pushButton_3->setText(tr("删除"));
    pushButton_4->setText(tr("转换"));
    label->setText(richCaption(11, "输出目录:"));
    toolButton->setText(tr("..."));
    fillEncodings(comboBox, {tr("GB18030"), tr("GBK"), tr("GB2312"), tr("Big5"), tr("UTF-8"),
                             tr("UTF-16"), tr("UTF-32"), tr("UTF-7")});
    label_2->setText(richCaption(10, "转到"));
    fillEncodings(comboBox_2, {tr("UTF-8"), tr("UTF-16"), tr("UTF-32"), tr("UTF-7"),
                               tr("GB18030"), tr("GBK"), tr("GB2312"), tr("Big5")});
}
