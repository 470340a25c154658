// Files and directories dragged from a file manager onto the window. Each
// drop asks for the suffix of the files to add and, if it holds a directory,
// for how deep to search; nothing is remembered from one drop to the next.
#include "app/mainwindow.h"
#include "filelist/findfiles.h"
#include "ui/mainwindowui.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QListWidget>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

#include <limits>
#include <optional>

namespace {

// A local path with a "/" followed by something: a file or directory, not a
// web link (no local path) and not the file system's root. A file name may
// hold a line feed, so "." matches it too.
bool isWelcome(const QString &path)
{
    static const QRegularExpression pattern(QStringLiteral(".*/..*$"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    return pattern.match(path).hasMatch();
}

std::optional<QString> askSuffix(QWidget *parent)
{
    bool ok = false;
    const QString suffix = QInputDialog::getText(parent, mainwindow::tr("请输入文件后缀："),
                                                 mainwindow::tr("请输入要加入的文件后缀名，不带点"),
                                                 QLineEdit::Normal, QStringLiteral("txt"), &ok);
    return ok ? std::optional(suffix) : std::nullopt;
}

std::optional<int> askDepth(QWidget *parent)
{
    bool ok = false;
    const int depth = QInputDialog::getInt(parent, mainwindow::tr("请输入遍历深度："),
                                           mainwindow::tr("-1为完全遍历，0为不包含子目录"), 0, -1,
                                           std::numeric_limits<int>::max(), 1, &ok);
    return ok ? std::optional(depth) : std::nullopt;
}

} // namespace

void mainwindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    for (const QUrl &url : event->mimeData()->urls()) {
        if (isWelcome(url.toLocalFile())) {
            event->accept();
            return;
        }
        event->ignore();
    }
}

// The event's acceptance is left as it is: the drag-enter decided it.
void mainwindow::dropEvent(QDropEvent *event)
{
    std::optional<QString> suffix;
    std::optional<int> depth;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (!suffix) {
            suffix = askSuffix(this);
            if (!suffix)
                return;
        }

        // A web link among the files has no local path; an empty path would
        // stand for the working directory, which the user never chose.
        const QString path = url.toLocalFile();
        if (path.isEmpty())
            continue;

        const QFileInfo file(path);
        if (file.isFile()) {
            if (hassuffix(file, *suffix))
                ui->listWidget->insertItem(ui->listWidget->count(), path);
            continue;
        }

        const QDir dir(path);
        if (!dir.exists())
            continue;
        if (!depth) {
            // Asked once, at the first directory; later ones are searched alike.
            depth = askDepth(this);
            if (!depth)
                return;
        }
        ui->listWidget->insertItems(ui->listWidget->count(), findfiles(dir, *depth, *suffix));
    }
}
