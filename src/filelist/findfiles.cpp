#include "filelist/findfiles.h"

#include "velloran/engine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A found path as text. Names that are not valid in the locale's encoding do
// not survive the trip to text and back, and could not be opened from the
// list: they give no text, and are left out, as they always have been.
[[maybe_unused]] QString textOf(const std::string &path)
{
    const QString text = QFile::decodeName(QByteArray::fromStdString(path));
    return QFile::encodeName(text).toStdString() == path ? text : QString();
}

[[maybe_unused]] QString textOf(const std::wstring &path)
{
    return QString::fromStdWString(path);
}

} // namespace

bool hassuffix(const QFileInfo &file, const QString &suffix)
{
    return file.suffix() == suffix;
}

QStringList findfiles(const QDir &dir, int depth, QString suffix)
{
    velloran::ScanOptions options;
    options.depth = depth;
    options.suffixes = {suffix.toStdString()};
    QStringList found;
    for (const std::filesystem::path &path :
         velloran::findFiles(std::filesystem::path(dir.path().toStdU16String()), options)) {
        if (const QString text = textOf(path.native()); !text.isEmpty())
            found.append(text);
    }
    return found;
}
