// The conversion commands: choosing the output directory, converting every
// listed file, and the report at the end of a run.
#include "app/mainwindow.h"
#include "convert/conversionrun.h"
#include "convert/paths.h"
#include "convert/report.h"
#include "ui/mainwindowui.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

namespace {

QStringList listedEntries(const QListWidget *list)
{
    QStringList entries;
    entries.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

std::string encodingName(const QComboBox *box)
{
    return box->currentText().toLocal8Bit().toStdString();
}

} // namespace

void mainwindow::selectpath()
{
    outputpath = QFileDialog::getExistingDirectory(this, tr("请选择输出目录："), outputpath,
                                                   QFileDialog::ShowDirsOnly);
    if (!outputpath.isEmpty())
        ui->lineEdit->setText(outputpath);
}

void mainwindow::start()
{
    if (ui->listWidget->count() == 0 || ui->lineEdit->text().isEmpty())
        return;

    velloran::RunOptions options;
    options.sourceEncoding = encodingName(ui->comboBox);
    options.targetEncoding = encodingName(ui->comboBox_2);
    options.outputDirectory = toFileSystemPath(ui->lineEdit->text());

    const QStringList entries = listedEntries(ui->listWidget);
    try {
        ConversionRun run(this, entries, options);
        showresult(makeReport(entries, run.exec()));
    } catch (const velloran::UnknownEncoding &unknown) {
        QMessageBox::warning(this, tr("转换结果"),
                             tr("无法识别编码“%1”，未转换任何文件。")
                                 .arg(QString::fromStdString(unknown.name())));
    }
}

void mainwindow::showresult(const RunReport &report)
{
    QMessageBox box;
    box.setWindowTitle(tr("转换结果"));
    box.setText(reportText(report));
    const QString details = reportDetails(report);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.addButton(QMessageBox::Yes)->setText(tr("确定(&Y)"));
    box.exec();
}
