// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion commands: choosing the output directory, converting every
// listed file, and the report at the end of a run.
#include "app/mainwindow.h"
#include "app/paths.h"
#include "convert/conversionrun.h"
#include "convert/report.h"
#include "filelist/entrypaths.h"
#include "ui/mainwindowui.h"
#include "ui/translation.h"
#include "velloran/report.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>

#include <algorithm>

namespace {

// The entries as the list shows them, and their paths as the file system's bytes.
struct ListedEntries
{
    QStringList texts;
    QList<QByteArray> paths;
};

ListedEntries listedEntries(const QListWidget *list)
{
    ListedEntries entries;
    for (int i = 0; i < list->count(); ++i) {
        entries.texts << list->item(i)->text();
        entries.paths << entryPath(list->item(i));
    }
    return entries;
}

// The report is at least this wide, so that a typical path fits on one line
// in its details.
constexpr int kReportWidth = 560;
// Room beside a line of the details: their frame, margins and scroll bar.
constexpr int kDetailsFrame = 40;

// Widens the report to its details' longest line, at least kReportWidth,
// where the screen allows. QMessageBox sizes itself from its layout's minimum
// width, so a spacer across the bottom of its grid widens it; it adds no
// widget. Must come after every setter that rebuilds the box's layout.
void widen(QMessageBox &box, const QString &details)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    int longest = 0;
    for (const QString &line : details.split(QLatin1Char('\n')))
        longest = std::max(longest, box.fontMetrics().horizontalAdvance(line));
    const QScreen *screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().width() : kReportWidth;
    const int width = std::min(std::max(kReportWidth, longest + kDetailsFrame), available);
    grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
}

std::string encodingName(const QComboBox *box)
{
    return box->currentText().toLocal8Bit().toStdString();
}

} // namespace

void mainwindow::selectpath()
{
    outputpath = QFileDialog::getExistingDirectory(this, windowTr("请选择输出目录："), outputpath,
                                                   QFileDialog::ShowDirsOnly);
    if (!outputpath.isEmpty())
        ui->lineEdit->setText(outputpath);
}

void mainwindow::start()
{
    if (ui->listWidget->count() == 0 || ui->lineEdit->text().isEmpty())
        return;

    velloran::RunOptions options;
    try {
        options.source = velloran::resolveEncoding(encodingName(ui->comboBox));
        options.target = velloran::resolveEncoding(encodingName(ui->comboBox_2));
    } catch (const velloran::UnknownEncoding &unknown) {
        QMessageBox::warning(this, windowTr("转换结果"),
                             unknownEncodingText(QString::fromStdString(unknown.name())));
        return;
    }
    options.outputDirectory = toFileSystemPath(ui->lineEdit->text());

    const ListedEntries entries = listedEntries(ui->listWidget);
    ConversionRun run(this, entries.paths, options);
    const velloran::RunReport report = velloran::makeRunReport(run.exec());
    showresult(reportText(report), reportDetails(entries.texts, report));
}

void mainwindow::showresult(const QString &text, const QString &details)
{
    QMessageBox box;
    box.setWindowTitle(windowTr("转换结果"));
    box.setText(text);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.addButton(QMessageBox::Yes)->setText(windowTr("确定(&Y)"));
    widen(box, details);
    box.exec();
}
