// Builds real directory trees for the tests that search them.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

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

} // namespace filetree
