// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/entrypaths.h"

#include "app/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QUrl>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool exists(const QByteArray &path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(toFileSystemPath(path), error));
}

// The one name in `dir` that decodes to `name`, or nothing if none or several do.
QByteArray nameDecodingTo(const QByteArray &dir, const QString &name)
{
    QByteArray found;
    int matches = 0;
    std::error_code error;
    for (fs::directory_iterator it(toFileSystemPath(dir), error), end; !error && it != end;
         it.increment(error)) {
        const QByteArray candidate = QByteArray::fromStdString(it->path().filename().native());
        if (QFile::decodeName(candidate) == name) {
            found = candidate;
            ++matches;
        }
    }
    return matches == 1 ? found : QByteArray();
}

fs::file_status statusOf(const QByteArray &path)
{
    std::error_code error;
    return fs::status(toFileSystemPath(path), error);
}

} // namespace

void appendEntries(QListWidget *list, const QList<QByteArray> &paths)
{
    for (const QByteArray &path : paths) {
        auto *item = new QListWidgetItem(QFile::decodeName(path));
        item->setData(Qt::UserRole, path);
        list->addItem(item);
    }
}

QByteArray entryPath(const QListWidgetItem *item)
{
    const QVariant bytes = item->data(Qt::UserRole);
    return bytes.isValid() ? bytes.toByteArray() : QFile::encodeName(item->text());
}

QByteArray chosenPath(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    // Decoding leaves U+FFFD where it met bytes that are no text.
    if (!path.contains(QChar::ReplacementCharacter) || exists(bytes))
        return bytes;
    const QFileInfo info(path);
    if (info.fileName().isEmpty() || info.path() == path)
        return bytes;
    const QByteArray dir = chosenPath(info.path());
    const QByteArray name = nameDecodingTo(dir, info.fileName());
    return name.isEmpty() ? bytes : joinedPath(dir, name);
}

QByteArray localPath(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    // The encoded path keeps every byte that is not UTF-8 as a %XX escape.
    QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!url.host().isEmpty())
        path.prepend("//" + QFile::encodeName(url.host()));
    return path;
}

bool isRegularFile(const QByteArray &path)
{
    return fs::is_regular_file(statusOf(path));
}

bool isDirectory(const QByteArray &path)
{
    return fs::is_directory(statusOf(path));
}

QByteArray joinedPath(const QByteArray &dir, const QByteArray &name)
{
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}
