// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/paths.h"

#include <QFile>

std::filesystem::path toFileSystemPath(const QString &path)
{
    return toFileSystemPath(QFile::encodeName(path));
}

std::filesystem::path toFileSystemPath(const QByteArray &path)
{
    return std::filesystem::path(path.toStdString());
}

QByteArray fromFileSystemPath(const std::filesystem::path &path)
{
    return QByteArray::fromStdString(path.native());
}
