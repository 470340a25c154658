// SPDX-License-Identifier: GPL-3.0-or-later
// Every entry of the file list keeps its path as the file system's bytes,
// from wherever it came: the file dialog, the directory scan or a drop.
// Chinese file names made on Windows are often GBK bytes on Linux, which no
// QString carries faithfully; the bytes are what the conversion opens. The
// list shows each path as readable text, bytes that are not text as U+FFFD.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QListWidget;
class QListWidgetItem;
class QUrl;

// Appends `paths` at the end of the list, in their order.
void appendEntries(QListWidget *list, const QList<QByteArray> &paths);

// The path of an entry as the file system's bytes. An entry that came with
// no bytes of its own stands for its text.
QByteArray entryPath(const QListWidgetItem *item);

// The path a file dialog returned, as bytes. A dialog hands back names
// decoded as text; where that lost bytes, the name is looked up among the
// directory's own names: the one name that decodes to the same text.
QByteArray chosenPath(const QString &path);

// The local path of a dropped URL, as the bytes the URL spells; empty for a
// URL that names no local file.
QByteArray localPath(const QUrl &url);

// Whether `path` names a regular file, and a directory; links count as what
// they lead to.
bool isRegularFile(const QByteArray &path);
bool isDirectory(const QByteArray &path);

// `dir` and `name` joined by one "/".
QByteArray joinedPath(const QByteArray &dir, const QByteArray &name);
