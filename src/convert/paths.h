#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <filesystem>

// A path as the file system names it: UTF-16 on Windows, the locale's bytes
// elsewhere, so that every name Qt shows can also be opened by the engine.
inline std::filesystem::path toFileSystemPath(const QString &path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// A path given as the file system's own bytes, which need not be text in
// any encoding (a name made on another system, say).
inline std::filesystem::path toFileSystemPath(const QByteArray &path)
{
#ifdef _WIN32
    return toFileSystemPath(QFile::decodeName(path));
#else
    return std::filesystem::path(path.toStdString());
#endif
}

// The file system's bytes of `path`, the inverse of toFileSystemPath.
inline QByteArray fromFileSystemPath(const std::filesystem::path &path)
{
#ifdef _WIN32
    return QFile::encodeName(QString::fromStdWString(path.native()));
#else
    return QByteArray::fromStdString(path.native());
#endif
}
