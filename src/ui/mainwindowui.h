// SPDX-License-Identifier: GPL-3.0-or-later
// The widget tree of the main window: a plain record of pointers to the
// window's layouts, widgets and spacers, built by the code that uic generates
// from the Qt Designer form mainwindowui.ui. It owns none of them; Qt's
// parent-child ownership releases them with the window.
#pragma once

#include "ui_mainwindowui.h"

class mainwindowui : public Ui_mainwindowui
{
public:
    // Sets every text again. The generated code renames the encoding items in
    // place; the lists also go back to their first entries, so that the
    // window opens, and is retranslated, on GB18030 to UTF-8.
    void retranslateUi(QWidget *window)
    {
        Ui_mainwindowui::retranslateUi(window);
        comboBox->setCurrentIndex(0);
        comboBox_2->setCurrentIndex(0);
    }
};
