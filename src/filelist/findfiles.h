// SPDX-License-Identifier: GPL-3.0-or-later
// Searching directories for the files to convert. Shared by the add-directory
// command and the drop handler, which decide what to do with the paths.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QDir;

// Whether the file name of `path` (bytes) has the suffix `suffix`: the text
// after the last "." of the name is exactly `suffix`, case included. An empty
// suffix matches names without one.
bool hassuffix(const QByteArray &path, const QString &suffix);

// The paths of the files under `dir` whose suffix is `suffix`: `dir`'s own
// files first, in name order ignoring case, then subdirectory by subdirectory
// in the same order, each with its whole subtree. Every path is dir.path(),
// the subdirectory names and the file name joined with "/". Hidden files and
// directories are left out.
//
// `depth` is how many levels of subdirectories are searched: -1 the whole
// tree, 0 `dir` alone (any other negative value too), n that many levels.
// A directory link that leads back to a directory being searched is not
// followed again.
QStringList findfiles(const QDir &dir, int depth, QString suffix);

// The same search with the paths as the file system's bytes, so that names
// that are not text in the locale's encoding are found too. `dir` is taken
// as a directory object would take it: one trailing "/" does not count.
QList<QByteArray> findfilepaths(const QByteArray &dir, int depth, const QString &suffix);
