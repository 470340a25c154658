// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/paths.h"

#include <QFile>

std::filesystem::path toFileSystemPath(const QString &path)
{
    return std::filesystem::path(path.toStdWString());
}

std::filesystem::path toFileSystemPath(const QByteArray &path)
{
    return toFileSystemPath(QFile::decodeName(path));
}

QByteArray fromFileSystemPath(const std::filesystem::path &path)
{
    return QFile::encodeName(QString::fromStdWString(path.native()));
}
