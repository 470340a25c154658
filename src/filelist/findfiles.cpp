#include "filelist/findfiles.h"

#include "convert/paths.h"
#include "filelist/entrypaths.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A directory entry with the key that QDir sorts by name ignoring case: the
// lower-cased name, compared code unit by code unit.
struct Entry
{
    QString key;
    QByteArray name;
    bool isLink = false;
};

struct Listing
{
    QList<Entry> files;
    QList<Entry> dirs;
};

// Reads a directory once and returns its files and its subdirectories, each
// in the order QDir lists them by default: like QDir, each kind is sorted
// with std::sort from the order the system gives, which keeps even names
// that differ only in case in QDir's order. Hidden entries, and anything that
// is neither a file nor a directory (a broken link, a device), are left out.
Listing list(const QByteArray &path)
{
    Listing listing;
    std::error_code error;
    for (fs::directory_iterator it(toFileSystemPath(path), error), end; !error && it != end;
         it.increment(error)) {
        const QByteArray name = QByteArray::fromStdString(it->path().filename().native());
        if (name.startsWith('.'))
            continue;
        std::error_code ignored;
        const fs::file_status status = it->status(ignored);
        const Entry entry{QFile::decodeName(name).toLower(), name, it->is_symlink(ignored)};
        if (fs::is_regular_file(status))
            listing.files.append(entry);
        else if (fs::is_directory(status))
            listing.dirs.append(entry);
    }
    const auto byName = [](const Entry &a, const Entry &b) { return a.key < b.key; };
    std::sort(listing.files.begin(), listing.files.end(), byName);
    std::sort(listing.dirs.begin(), listing.dirs.end(), byName);
    return listing;
}

QByteArray canonicalPath(const QByteArray &path)
{
    std::error_code error;
    const fs::path canonical = fs::canonical(toFileSystemPath(path), error);
    return error ? QByteArray() : QByteArray::fromStdString(canonical.native());
}

struct Search
{
    QString suffix;
    QList<QByteArray> walk; // canonical paths of the directories being searched, outermost first
    QList<QByteArray> found;
};

void search(const QByteArray &dir, const QByteArray &canonical, int depth, Search &s)
{
    const Listing listing = list(dir);
    for (const Entry &file : listing.files) {
        const QByteArray path = joinedPath(dir, file.name);
        if (hassuffix(path, s.suffix))
            s.found.append(path);
    }
    if (depth <= 0 && depth != -1)
        return;

    s.walk.append(canonical);
    for (const Entry &sub : listing.dirs) {
        // Only a link can lead back to a directory being searched, but once
        // one has been followed, a real subdirectory below it can too. The
        // canonical path of a real subdirectory is its parent's plus its name,
        // so only links cost a look-up.
        const QByteArray path = joinedPath(dir, sub.name);
        const QByteArray subCanonical =
            sub.isLink ? canonicalPath(path) : joinedPath(canonical, sub.name);
        if (s.walk.contains(subCanonical))
            continue;
        search(path, subCanonical, depth == -1 ? -1 : depth - 1, s);
    }
    s.walk.removeLast();
}

} // namespace

bool hassuffix(const QByteArray &path, const QString &suffix)
{
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray own = dot < 0 ? QByteArray() : name.mid(dot + 1);
    return own == QFile::encodeName(suffix);
}

QList<QByteArray> findfilepaths(const QByteArray &dir, int depth, const QString &suffix)
{
    QByteArray path = dir;
    if (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    Search s{suffix, {}, {}};
    search(path, canonicalPath(path), depth, s);
    return s.found;
}

QStringList findfiles(const QDir &dir, int depth, QString suffix)
{
    QStringList paths;
    for (const QByteArray &path : findfilepaths(QFile::encodeName(dir.path()), depth, suffix))
        paths << QFile::decodeName(path);
    return paths;
}
