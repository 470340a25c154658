// SPDX-License-Identifier: GPL-3.0-or-later
// Builds real directory trees for the tests that search them.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace filetree {

// Creates each entry under `root`: a name ending in "/" as a directory, any
// other name as a small file, with the directories above it. Returns whether
// all of them were made.
inline bool make(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = root + u'/' + entry;
        if (entry.endsWith(u'/')) {
            if (!QDir().mkpath(path))
                return false;
            continue;
        }
        if (!QDir().mkpath(QFileInfo(path).path()))
            return false;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("text\n") != 5)
            return false;
    }
    return true;
}

// Makes `link` (a path below `root`) a symbolic link to the directory `target`.
inline bool link(const QString &root, const QString &link, const QString &target)
{
    return QFile::link(target, root + u'/' + link);
}

// `names` each prefixed with `dir` and "/", as the file list shows them.
inline QStringList paths(const QString &dir, const QStringList &names)
{
    QStringList result;
    for (const QString &name : names)
        result << dir + u'/' + name;
    return result;
}

// Names that are not UTF-8, such as GBK names made on Windows, cannot pass
// through a QString: these take and give the file system's bytes. makeRaw()
// also makes the directories above the file.
inline bool makeRaw(const QByteArray &path, const QByteArray &content = "text\n")
{
    const std::filesystem::path name(path.toStdString());
    std::error_code ignored;
    std::filesystem::create_directories(name.parent_path(), ignored);
    std::ofstream file(name, std::ios::binary);
    file.write(content.constData(), content.size());
    return bool(file.flush());
}

// Makes the file `path` holding `content`, and the directories above it.
inline bool makeFile(const QString &path, const QByteArray &content)
{
    return makeRaw(QFile::encodeName(path), content);
}

inline QByteArray readRaw(const QByteArray &path)
{
    std::ifstream file(std::filesystem::path(path.toStdString()), std::ios::binary);
    if (!file)
        return "<unreadable>";
    return QByteArray::fromStdString(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

inline void removeAll(const QString &root)
{
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(root).toStdString(), ignored);
}

// 中文.txt with its name in GBK, and that name as the list shows it: each
// byte that starts no UTF-8 character becomes U+FFFD.
inline const QByteArray kGbkName("\xD6\xD0\xCE\xC4.txt");
inline const QString kGbkNameShown = QString(4, QChar::ReplacementCharacter) + ".txt";

} // namespace filetree
