// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/drop.h"

#include "filelist/entrypaths.h"
#include "filelist/findfiles.h"
#include "filelist/prompts.h"

#include <QRegularExpression>

bool isDroppable(const QString &localPath)
{
    // A file name may hold a line feed, so "." matches it too.
    static const QRegularExpression pattern(QStringLiteral(".*/..*$"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    return pattern.match(localPath).hasMatch();
}

DropSearch::DropSearch(QWidget *parent) : m_parent(parent) {}

std::optional<QList<QByteArray>> DropSearch::entriesFor(const QByteArray &localPath)
{
    if (!m_suffix) {
        m_suffix = askDropSuffix(m_parent);
        if (!m_suffix)
            return std::nullopt;
    }

    // A web link among the files has no local path; an empty path would
    // stand for the working directory, which the user never chose.
    if (localPath.isEmpty())
        return QList<QByteArray>();

    if (isRegularFile(localPath))
        return hassuffix(localPath, *m_suffix) ? QList<QByteArray>{localPath} : QList<QByteArray>();
    if (!isDirectory(localPath))
        return QList<QByteArray>();
    if (!m_depth) {
        // Asked once, at the first directory; later ones are searched alike.
        m_depth = askDepth(m_parent);
        if (!m_depth)
            return std::nullopt;
    }
    return findfilepaths(localPath, *m_depth, *m_suffix);
}
