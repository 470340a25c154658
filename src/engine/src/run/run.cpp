// SPDX-License-Identifier: GPL-3.0-or-later
// Executing a run plan on a pool of std::threads. The plan guarantees that the
// entries it converts write pairwise different places, and that none writes
// where another reads unless it is told to wait for that one; so all the
// others run at once. Entries it refused or found repeated only get their
// results.
#include "run/run_plan.h"

#include "pipeline/cancellation.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

namespace velloran {

namespace {

class RunExecutor
{
public:
    RunExecutor(const RunPlan &plan, const RunOptions &options)
        : m_plan(plan), m_options(options), m_results(plan.entries.size()),
          m_repeats(plan.entries.size()), m_followers(plan.entries.size(), kNoEntry)
    {
        for (std::size_t i = 0; i < plan.entries.size(); ++i) {
            const PlannedEntry &entry = plan.entries[i];
            if (entry.action == PlannedEntry::Action::Convert && entry.after == kNoEntry)
                m_toConvert.push_back(i);
            else if (entry.action == PlannedEntry::Action::Convert)
                m_followers.at(entry.after) = i;
            else if (entry.action == PlannedEntry::Action::Repeat)
                m_repeats.at(entry.sameAs).push_back(i);
        }
        m_workers = workersFor(options);
    }

    std::vector<FileResult> run()
    {
        for (std::size_t i = 0; i < m_plan.entries.size(); ++i) {
            const PlannedEntry &entry = m_plan.entries[i];
            if (entry.action == PlannedEntry::Action::SharedOutput)
                finish(i, FileResult{.outcome = Outcome::SharedOutput, .sameAs = entry.sameAs});
        }
        const std::size_t threadCount = std::min<std::size_t>(m_toConvert.size(), m_workers);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < threadCount; ++i)
            threads.emplace_back([this] { work(); });
        for (std::thread &thread : threads)
            thread.join();
        if (m_failure)
            std::rethrow_exception(m_failure);
        return std::move(m_results);
    }

private:
    void work()
    {
        try {
            for (std::size_t next = m_next++; next < m_toConvert.size() && !m_failed;
                 next = m_next++)
                convertFrom(m_toConvert[next]);
        } catch (...) {
            recordFailure(std::current_exception());
        }
    }

    // Converts the entry, then, one after another, those that wait for it.
    void convertFrom(std::size_t index)
    {
        for (; index != kNoEntry && !m_failed; index = m_followers[index])
            finish(index, convert(index));
    }

    FileResult convert(std::size_t index)
    {
        if (isCancelled(m_options.cancel))
            return FileResult{.outcome = Outcome::Cancelled};
        if (m_options.onFileStarted)
            m_options.onFileStarted(index);
        const PlannedEntry &entry = m_plan.entries[index];
        return convertFile(entry.input, entry.output, fileOptions(index));
    }

    // Stores an entry's result, and the same for the entries that repeat it.
    void finish(std::size_t index, const FileResult &result)
    {
        report(index, result);
        for (std::size_t repeat : m_repeats[index]) {
            FileResult shared = result;
            shared.sameAs = index;
            report(repeat, shared);
        }
    }

    void report(std::size_t index, const FileResult &result)
    {
        m_results[index] = result;
        if (m_options.onFileFinished)
            m_options.onFileFinished(index, result);
    }

    ConvertOptions fileOptions(std::size_t index) const
    {
        ConvertOptions options;
        options.source = m_options.source;
        options.target = m_options.target;
        options.tuning = m_options.tuning;
        // With fewer files than workers, the idle ones help with large files.
        options.workers = std::max<unsigned>(
            1, static_cast<unsigned>(m_workers / std::max<std::size_t>(m_toConvert.size(), 1)));
        options.cancel = m_options.cancel;
        options.discardOutput = m_options.dryRun;
        options.makeOutputFolders = m_options.outputRule == OutputRule::KeepTree;
        options.refuseLookalikes =
            m_plan.entries[index].replacesInput && !m_options.convertLookalikes;
        options.leaveIdenticalAlone = m_options.outputRule == OutputRule::InPlace;
        if (m_options.onBytes) {
            options.onBytes = [this, index](std::uint64_t done, std::uint64_t total) {
                m_options.onBytes(index, done, total);
            };
        }
        return options;
    }

    // Something unexpected (out of memory, a throwing observer): the run stops
    // and the caller gets the exception.
    void recordFailure(std::exception_ptr failure)
    {
        std::lock_guard lock(m_failureMutex);
        if (!m_failure)
            m_failure = failure;
        m_failed = true;
    }

    const RunPlan &m_plan;
    const RunOptions &m_options;
    std::vector<FileResult> m_results;
    std::vector<std::size_t> m_toConvert;            // those that wait for no other
    std::vector<std::vector<std::size_t>> m_repeats; // by the entry they repeat
    std::vector<std::size_t> m_followers;            // by entry: the one that waits for it
    unsigned m_workers = 1;
    std::atomic<std::size_t> m_next{0};
    std::atomic<bool> m_failed{false};
    std::mutex m_failureMutex;
    std::exception_ptr m_failure;
};

} // namespace

std::vector<FileResult> executeRun(const RunPlan &plan, const RunOptions &options)
{
    return RunExecutor(plan, options).run();
}

std::vector<FileResult> convertRun(const std::vector<RunInput> &inputs, const RunOptions &options)
{
    return executeRun(planRun(inputs, options), options);
}

} // namespace velloran
