// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/conversionrun.h"

#include "app/paths.h"
#include "ui/translation.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <exception>
#include <thread>

namespace {

constexpr int kShowDialogAfterMs = 500;
constexpr int kRefreshMs = 50;
constexpr int kByteScale = 1000; // progress steps for a single large file

std::size_t g_holdFrom = velloran::kNoEntry;

} // namespace

ConversionRun::ConversionRun(QWidget *window, const QList<QByteArray> &paths,
                             velloran::RunOptions options)
    : m_window(window), m_entries(paths), m_options(std::move(options))
{
    m_options.cancel = &m_cancel;
    m_options.onFileStarted = [this, holdFrom = g_holdFrom](std::size_t index) {
        // Workers start entries in list order, but may report out of order.
        std::size_t current = m_current;
        while (index > current && !m_current.compare_exchange_weak(current, index)) {
        }
        if (index >= holdFrom)
            m_cancel.wait(false);
    };
    m_options.onFileFinished = [this](std::size_t, const velloran::FileResult &) { ++m_finished; };
    m_options.onBytes = [this](std::size_t index, std::uint64_t done, std::uint64_t total) {
        if (index == m_current) {
            m_bytesDone = done;
            m_bytesTotal = total;
        }
    };
}

void ConversionRun::holdForTesting(std::size_t fromEntry)
{
    g_holdFrom = fromEntry;
}

std::vector<velloran::FileResult> ConversionRun::exec()
{
    std::vector<velloran::RunInput> inputs;
    inputs.reserve(size_t(m_entries.size()));
    for (const QByteArray &path : m_entries)
        inputs.push_back({toFileSystemPath(path), {}});

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
        m_cancel.notify_all();
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
    dialog->setWindowTitle(windowTr("转换中"));
    dialog->setCancelButtonText(windowTr("取消"));
    dialog->setMinimumDuration(0);
    dialog->setAutoReset(false);
    dialog->setRange(0, m_entries.size() == 1 ? kByteScale : int(m_entries.size()));
    return dialog;
}

void ConversionRun::updateProgress(QProgressDialog *dialog) const
{
    const std::size_t current = m_current;
    const std::size_t count = std::size_t(m_entries.size());
    const QString name =
        current < count ? QFileInfo(QFile::decodeName(m_entries[qsizetype(current)])).fileName()
                        : QString();
    // Counts the entry being converted: 1/1 while the only one is.
    const std::size_t number = std::min(current + 1, count);
    dialog->setLabelText(windowTr("正在转换 %1/%2").arg(number).arg(count) + QLatin1Char('\n') +
                         name);

    if (m_entries.size() == 1) {
        const std::uint64_t total = m_bytesTotal;
        dialog->setValue(total ? int(m_bytesDone * kByteScale / total) : 0);
    } else {
        dialog->setValue(int(m_finished.load()));
    }
}
