// The widget tree of the main window: a plain record of pointers to the
// window's layouts, widgets and spacers. It owns none of them; Qt's
// parent-child ownership releases them with the window.
#pragma once

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpacerItem;
class QToolButton;
class QVBoxLayout;
class QWidget;

class mainwindowui
{
public:
    QVBoxLayout *verticalLayout_2;
    QHBoxLayout *horizontalLayout_2;
    QListWidget *listWidget;
    QVBoxLayout *verticalLayout;
    QPushButton *pushButton;
    QSpacerItem *verticalSpacer;
    QPushButton *pushButton_2;
    QSpacerItem *verticalSpacer_2;
    QPushButton *pushButton_3;
    QSpacerItem *verticalSpacer_3;
    QPushButton *pushButton_4;
    QHBoxLayout *horizontalLayout;
    QLabel *label;
    QLineEdit *lineEdit;
    QToolButton *toolButton;
    QHBoxLayout *horizontalLayout_3;
    QSpacerItem *horizontalSpacer;
    QComboBox *comboBox;
    QSpacerItem *horizontalSpacer_2;
    QLabel *label_2;
    QSpacerItem *horizontalSpacer_3;
    QComboBox *comboBox_2;
    QSpacerItem *horizontalSpacer_4;

    // Builds every widget on `window` and sets the texts.
    void setupUi(QWidget *window);
    // Sets every text again and refills both encoding lists (index 0 current).
    void retranslateUi(QWidget *window);

private:
    QPushButton *makeCommandButton(QWidget *window, const char *name);
};
