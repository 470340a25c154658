#include "filelist/findfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QList>

#include <algorithm>

namespace {

// A directory entry with the key that QDir sorts by name ignoring case: the
// lower-cased name, compared code unit by code unit.
struct Entry
{
    QString key;
    QFileInfo info;
};

struct Listing
{
    QList<Entry> files;
    QList<Entry> dirs;
};

// Reads a directory once and returns its files and its subdirectories, each
// in the order QDir lists them by default. QDir sorts its files and its
// subdirectories separately, each with std::sort from the order the system
// gives; doing the same keeps even names that differ only in case in QDir's
// order.
Listing list(const QString &path)
{
    Listing listing;
    QDirIterator it(path, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        (info.isDir() ? listing.dirs : listing.files).append({info.fileName().toLower(), info});
    }
    const auto byName = [](const Entry &a, const Entry &b) { return a.key < b.key; };
    std::sort(listing.files.begin(), listing.files.end(), byName);
    std::sort(listing.dirs.begin(), listing.dirs.end(), byName);
    return listing;
}

QString joined(const QString &dirPath, const QString &name)
{
    return dirPath.endsWith(u'/') ? dirPath + name : dirPath + u'/' + name;
}

struct Search
{
    QString suffix;
    QStringList walk; // canonical paths of the directories being searched, outermost first
    QStringList found;
};

void search(const QDir &dir, const QString &canonical, int depth, Search &s)
{
    const Listing listing = list(dir.path());
    for (const Entry &file : listing.files) {
        if (hassuffix(file.info, s.suffix))
            s.found.append(file.info.filePath());
    }
    if (depth <= 0 && depth != -1)
        return;

    s.walk.append(canonical);
    for (const Entry &sub : listing.dirs) {
        // Only a link can lead back to a directory being searched, but once
        // one has been followed, a real subdirectory below it can too. The
        // canonical path of a real subdirectory is its parent's plus its name,
        // so only links cost a look-up.
        const QString name = sub.info.fileName();
        const QString subCanonical =
            sub.info.isSymLink() ? sub.info.canonicalFilePath() : joined(canonical, name);
        if (s.walk.contains(subCanonical))
            continue;
        search(QDir(dir.path() + u'/' + name), subCanonical, depth == -1 ? -1 : depth - 1, s);
    }
    s.walk.removeLast();
}

} // namespace

bool hassuffix(const QFileInfo &file, const QString &suffix)
{
    return file.suffix() == suffix;
}

QStringList findfiles(const QDir &dir, int depth, QString suffix)
{
    Search s{std::move(suffix), {}, {}};
    search(dir, QFileInfo(dir.path()).canonicalFilePath(), depth, s);
    return s.found;
}
