#include "convert/conversionrun.h"

#include "convert/paths.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <thread>

namespace {

constexpr int kShowDialogAfterMs = 500;
constexpr int kRefreshMs = 50;
constexpr int kByteScale = 1000; // progress steps for a single large file

std::size_t g_chunkSizeOverride = 0;

QString tr(const char *text)
{
    return QCoreApplication::translate("mainwindow", text);
}

} // namespace

ConversionRun::ConversionRun(QWidget *window, const QStringList &entries,
                             velloran::RunOptions options)
    : m_window(window), m_entries(entries), m_options(std::move(options))
{
    if (g_chunkSizeOverride)
        m_options.tuning.chunkSize = g_chunkSizeOverride;
    m_options.cancel = &m_cancel;
    m_options.onFileStarted = [this](std::size_t index) { m_current = index; };
    m_options.onFileFinished = [this](std::size_t, const velloran::FileResult &) { ++m_finished; };
    m_options.onBytes = [this](std::size_t index, std::uint64_t done, std::uint64_t total) {
        if (index == m_current) {
            m_bytesDone = done;
            m_bytesTotal = total;
        }
    };
}

void ConversionRun::setChunkSizeForTesting(std::size_t bytes)
{
    g_chunkSizeOverride = bytes;
}

std::vector<velloran::FileResult> ConversionRun::exec()
{
    std::vector<velloran::RunInput> inputs;
    inputs.reserve(size_t(m_entries.size()));
    for (const QString &entry : m_entries)
        inputs.push_back({toFileSystemPath(entry), {}});

    std::vector<velloran::FileResult> results;
    std::exception_ptr error;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            results = velloran::convertRun(inputs, m_options);
        } catch (...) {
            error = std::current_exception();
        }
        m_done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    // Until the progress dialog appears, input to the window waits, just as it
    // would behind a synchronous run; afterwards the dialog blocks it.
    QTimer::singleShot(kShowDialogAfterMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!m_done)
        watchProgress();
    worker.join();

    if (error)
        std::rethrow_exception(error);
    return results;
}

void ConversionRun::watchProgress()
{
    QEventLoop loop;
    QProgressDialog *dialog = makeProgressDialog();
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, dialog, [&] {
        if (m_done)
            loop.quit();
        else
            updateProgress(dialog);
    });
    QObject::connect(dialog, &QProgressDialog::canceled, dialog, [&] {
        m_cancel = true;
        loop.quit();
    });
    refresh.start(kRefreshMs);
    updateProgress(dialog);
    dialog->show();

    while (!m_done) {
        // After a cancel the dialog is gone; the few remaining milliseconds of
        // the run must not let input reach the window.
        loop.exec(m_cancel ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    }
    delete dialog;
}

QProgressDialog *ConversionRun::makeProgressDialog()
{
    auto *dialog = new QProgressDialog(m_window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(tr("转换中"));
    dialog->setCancelButtonText(tr("取消"));
    dialog->setMinimumDuration(0);
    dialog->setAutoReset(false);
    dialog->setRange(0, m_entries.size() == 1 ? kByteScale : int(m_entries.size()));
    return dialog;
}

void ConversionRun::updateProgress(QProgressDialog *dialog) const
{
    const std::size_t current = m_current;
    const QString name = current < size_t(m_entries.size())
                             ? QFileInfo(m_entries[qsizetype(current)]).fileName()
                             : QString();
    dialog->setLabelText(tr("正在转换 %1/%2").arg(m_finished.load()).arg(m_entries.size()) +
                         QLatin1Char('\n') + name);

    if (m_entries.size() == 1) {
        const std::uint64_t total = m_bytesTotal;
        dialog->setValue(total ? int(m_bytesDone * kByteScale / total) : 0);
    } else {
        dialog->setValue(int(m_finished.load()));
    }
}
