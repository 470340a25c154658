// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one batch conversion off the GUI thread while the window stays
// responsive. A short run shows nothing; a run that lasts longer than half a
// second shows a window-modal progress dialog with a cancel button. Either way
// the window takes no input until the run is over, as if it ran synchronously.
#pragma once

#include "velloran/run.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <cstdint>
#include <vector>

class QProgressDialog;
class QWidget;

class ConversionRun
{
public:
    // `paths` are the entries' paths as the file system's bytes.
    ConversionRun(QWidget *window, const QList<QByteArray> &paths, velloran::RunOptions options);

    // Converts every entry and returns one result per entry, in list order.
    std::vector<velloran::FileResult> exec();

    // Every later run waits before it converts entry `fromEntry` and each one
    // after it, until it is cancelled: a test can then cancel a run whose
    // progress dialog it knows to be shown, however fast the machine. With
    // velloran::kNoEntry, the default, no run waits.
    static void holdForTesting(std::size_t fromEntry);

private:
    void watchProgress();
    QProgressDialog *makeProgressDialog();
    void updateProgress(QProgressDialog *dialog) const;

    QWidget *m_window;
    QList<QByteArray> m_entries;
    velloran::RunOptions m_options;

    // Written by the workers, read by the GUI thread.
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{false};
    std::atomic<std::size_t> m_finished{0};
    std::atomic<std::size_t> m_current{0}; // the last entry started, in list order
    std::atomic<std::uint64_t> m_bytesDone{0};
    std::atomic<std::uint64_t> m_bytesTotal{0};
};
