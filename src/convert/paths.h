#pragma once

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
