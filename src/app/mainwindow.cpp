// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"

#include "ui/mainwindowui.h"
#include "ui/translation.h"

#include <QAction>
#include <QKeySequence>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

mainwindow::mainwindow(QWidget *parent) : QWidget(parent), ui(new mainwindowui)
{
    ui->setupUi(this);

    connect(ui->pushButton, &QPushButton::clicked, this, &mainwindow::add);
    connect(ui->pushButton_2, &QPushButton::clicked, this, &mainwindow::addpath);
    connect(ui->pushButton_3, &QPushButton::clicked, this, &mainwindow::deleteitem);
    connect(ui->pushButton_4, &QPushButton::clicked, this, &mainwindow::start);
    connect(ui->toolButton, &QToolButton::clicked, this, &mainwindow::selectpath);

    // The file list's context menu. The actions have no parent; the window
    // keeps them in actionlist and releases them itself.
    actionlist.append(new QAction(windowTr("添加文件")));
    actionlist.append(new QAction(windowTr("添加目录")));
    actionlist.append(new QAction(windowTr("删除表项")));
    actionlist[2]->setShortcut(QKeySequence(Qt::Key_Delete));
    actionlist.append(new QAction(windowTr("清空列表")));

    connect(actionlist[0], &QAction::triggered, this, &mainwindow::add);
    connect(actionlist[1], &QAction::triggered, this, &mainwindow::addpath);
    connect(actionlist[2], &QAction::triggered, this, &mainwindow::deleteitem);
    connect(actionlist[3], &QAction::triggered, ui->listWidget, &QListWidget::clear);

    ui->listWidget->addActions(actionlist);
    ui->listWidget->setContextMenuPolicy(Qt::ActionsContextMenu);

    setWindowTitle(windowTr("Velloran1.1 By:Tamsrik"));
    setAcceptDrops(true);
}

mainwindow::~mainwindow()
{
    delete ui;
    qDeleteAll(actionlist);
}
