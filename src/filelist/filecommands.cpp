// The file list's editing commands. The list widget is the one store of the
// paths to convert: entries are appended at the end exactly as their source
// gives them, never sorted, never checked, duplicates kept.
#include "app/mainwindow.h"
#include "ui/mainwindowui.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>

void mainwindow::add()
{
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("请选择文件："), inputpath, tr("文本文件(*.txt);;所有文件(*.*)"));
    if (files.isEmpty())
        return;

    inputpath = QFileInfo(files.first()).path();
    ui->listWidget->insertItems(ui->listWidget->count(), files);
}

void mainwindow::deleteitem()
{
    delete ui->listWidget->currentItem();
}

void mainwindow::addpath()
{
}
