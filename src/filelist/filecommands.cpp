// SPDX-License-Identifier: GPL-3.0-or-later
// The file list's commands: the file dialog, deleting the current entry,
// adding a directory, and files dragged onto the window. The list widget is
// the one store of the paths to convert: entries are appended at the end
// exactly as their source gives them, as the file system's bytes (see
// entrypaths.h), never sorted, never checked, duplicates kept.
#include "app/mainwindow.h"
#include "filelist/drop.h"
#include "filelist/entrypaths.h"
#include "filelist/findfiles.h"
#include "filelist/prompts.h"
#include "ui/mainwindowui.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

void mainwindow::add()
{
    const QStringList files = askFiles(this, inputpath);
    if (files.isEmpty())
        return;

    inputpath = QFileInfo(files.first()).path();
    QList<QByteArray> paths;
    for (const QString &file : files)
        paths << chosenPath(file);
    appendEntries(ui->listWidget, paths);
}

void mainwindow::deleteitem()
{
    delete ui->listWidget->currentItem();
}

void mainwindow::addpath()
{
    // The suffix is asked for first and not remembered: "txt" is offered each time.
    const std::optional<QString> suffix = askDirectorySuffix(this);
    if (!suffix)
        return;

    const QString chosen = askDirectory(this, inputpath);
    if (chosen.isEmpty()) {
        // Forgotten, so the next dialog opens at its own default location.
        inputpath.clear();
        return;
    }

    const QDir dir(chosen);
    inputpath = dir.path();
    // One level only: subdirectories are searched when a directory is dropped.
    appendEntries(ui->listWidget, findfilepaths(chosenPath(dir.path()), 0, *suffix));
}

void mainwindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    for (const QUrl &url : event->mimeData()->urls()) {
        if (isDroppable(QFile::decodeName(localPath(url)))) {
            event->accept();
            return;
        }
        event->ignore();
    }
}

// The event's acceptance is left as it is: the drag-enter decided it.
void mainwindow::dropEvent(QDropEvent *event)
{
    DropSearch search(this);
    for (const QUrl &url : event->mimeData()->urls()) {
        const std::optional<QList<QByteArray>> entries = search.entriesFor(localPath(url));
        if (!entries)
            return;
        appendEntries(ui->listWidget, *entries);
    }
}
