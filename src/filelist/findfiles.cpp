// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/findfiles.h"

#include "app/paths.h"

#include "velloran/scan.h"

#include <QDir>
#include <QFile>

bool hassuffix(const QByteArray &path, const QString &suffix)
{
    return velloran::hasSuffix(toFileSystemPath(path), QFile::encodeName(suffix).toStdString());
}

QList<QByteArray> findfilepaths(const QByteArray &dir, int depth, const QString &suffix)
{
    QByteArray path = dir;
    if (path.size() > 1 && path.endsWith('/'))
        path.chop(1);

    velloran::ScanOptions options;
    options.depth = depth;
    options.suffixes = {QFile::encodeName(suffix).toStdString()};
    QList<QByteArray> found;
    for (const std::filesystem::path &file : velloran::findFiles(toFileSystemPath(path), options))
        found.append(fromFileSystemPath(file));
    return found;
}

QStringList findfiles(const QDir &dir, int depth, QString suffix)
{
    QStringList paths;
    for (const QByteArray &path : findfilepaths(QFile::encodeName(dir.path()), depth, suffix))
        paths << QFile::decodeName(path);
    return paths;
}
