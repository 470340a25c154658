// SPDX-License-Identifier: GPL-3.0-or-later
// Files and directories dragged from a file manager onto the window. Each
// drop asks for the suffix of the files to add and, if it holds a directory,
// for how deep to search; nothing is remembered from one drop to the next.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class QWidget;

// Whether a drag that carries this local path is welcome: a path with a "/"
// followed by something, so a file or a directory, but neither a web link
// (no local path) nor the file system's root.
bool isDroppable(const QString &localPath);

// The questions and answers of one drop, URL by URL, in drop order.
class DropSearch
{
public:
    // The prompts are modal to `parent`.
    explicit DropSearch(QWidget *parent);

    // The entries that one dropped local path (bytes) adds to the list: the
    // file if its suffix matches, or the matching files under the directory.
    // The suffix is asked for at the first path, the depth at the first
    // directory. No value when the user cancels a prompt, which ends the drop.
    std::optional<QList<QByteArray>> entriesFor(const QByteArray &localPath);

private:
    QWidget *m_parent;
    std::optional<QString> m_suffix;
    std::optional<int> m_depth;
};
