// The file list's editing commands. The list widget is the one store of the
// paths to convert: entries are appended at the end exactly as their source
// gives them, never sorted, never checked, duplicates kept.
#include "app/mainwindow.h"
#include "filelist/findfiles.h"
#include "ui/mainwindowui.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
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
    // The suffix is asked for first and not remembered: "txt" is offered each time.
    bool ok = false;
    const QString suffix = QInputDialog::getText(
        this, tr("请输入文件后缀名："),
        tr("请输入要加入列表的文件的后缀名,不带“.”，\n如文本文件就是“txt”"), QLineEdit::Normal,
        QStringLiteral("txt"), &ok);
    if (!ok)
        return;

    const QString chosen = QFileDialog::getExistingDirectory(this, tr("请选择目录："), inputpath,
                                                             QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        // Forgotten, so the next dialog opens at its own default location.
        inputpath.clear();
        return;
    }

    const QDir dir(chosen);
    inputpath = dir.path();
    // One level only: subdirectories are searched when a directory is dropped.
    ui->listWidget->insertItems(ui->listWidget->count(), findfiles(dir, 0, suffix));
}
