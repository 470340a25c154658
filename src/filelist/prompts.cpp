// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/prompts.h"

#include "ui/translation.h"

#include <QFileDialog>
#include <QInputDialog>

#include <limits>

namespace {

// The preset "txt" is a value, not a text of the program: it is not translated.
std::optional<QString> askSuffix(QWidget *parent, const QString &title, const QString &label)
{
    bool ok = false;
    const QString suffix =
        QInputDialog::getText(parent, title, label, QLineEdit::Normal, QStringLiteral("txt"), &ok);
    return ok ? std::optional(suffix) : std::nullopt;
}

} // namespace

QStringList askFiles(QWidget *parent, const QString &startDir)
{
    return QFileDialog::getOpenFileNames(parent, windowTr("请选择文件："), startDir,
                                         windowTr("文本文件(*.txt);;所有文件(*.*)"));
}

std::optional<QString> askDirectorySuffix(QWidget *parent)
{
    return askSuffix(parent, windowTr("请输入文件后缀名："),
                     windowTr("请输入要加入列表的文件的后缀名,不带“.”，\n如文本文件就是“txt”"));
}

QString askDirectory(QWidget *parent, const QString &startDir)
{
    return QFileDialog::getExistingDirectory(parent, windowTr("请选择目录："), startDir,
                                             QFileDialog::ShowDirsOnly);
}

std::optional<QString> askDropSuffix(QWidget *parent)
{
    return askSuffix(parent, windowTr("请输入文件后缀："),
                     windowTr("请输入要加入的文件后缀名，不带点"));
}

std::optional<int> askDepth(QWidget *parent)
{
    bool ok = false;
    const int depth = QInputDialog::getInt(parent, windowTr("请输入遍历深度："),
                                           windowTr("-1为完全遍历，0为不包含子目录"), 0, -1,
                                           std::numeric_limits<int>::max(), 1, &ok);
    return ok ? std::optional(depth) : std::nullopt;
}
