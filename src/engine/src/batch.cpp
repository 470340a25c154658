// Batch conversion on a pool of std::threads. Inputs that write to the same
// output path form a group that one worker converts in input order, so the
// outcome is that of a serial run however many workers there are.
#include "velloran/engine.h"

#include "converter.h"
#include "stream_converter.h"

#include <algorithm>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace velloran {

namespace {

using Group = std::vector<std::size_t>;

std::vector<Group> groupByOutputPath(const std::vector<std::filesystem::path> &inputs,
                                     const std::filesystem::path &outputDirectory)
{
    std::vector<Group> groups;
    std::map<std::filesystem::path::string_type, std::size_t> groupOfOutput;
    for (std::size_t index = 0; index < inputs.size(); ++index) {
        const auto output = outputPathFor(outputDirectory, inputs[index]).native();
        const auto [found, inserted] = groupOfOutput.try_emplace(output, groups.size());
        if (inserted)
            groups.emplace_back();
        groups[found->second].push_back(index);
    }
    return groups;
}

unsigned hardwareOrRequested(unsigned requested)
{
    return requested != 0 ? requested : std::thread::hardware_concurrency();
}

unsigned workerCount(unsigned requested, std::size_t groups)
{
    const unsigned wanted = hardwareOrRequested(requested);
    return static_cast<unsigned>(std::clamp<std::size_t>(groups, 1, std::max(wanted, 1u)));
}

class BatchRun
{
public:
    BatchRun(const std::vector<std::filesystem::path> &inputs, const BatchOptions &options)
        : m_inputs(inputs), m_options(options),
          m_groups(groupByOutputPath(inputs, options.outputDirectory)), m_results(inputs.size())
    {
    }

    std::vector<FileResult> run()
    {
        std::vector<std::thread> workers;
        const unsigned count = workerCount(m_options.workers, m_groups.size());
        m_workers = std::max(hardwareOrRequested(m_options.workers), 1u);
        for (unsigned i = 0; i < count; ++i)
            workers.emplace_back([this] { work(); });
        for (std::thread &worker : workers)
            worker.join();
        if (m_failure)
            std::rethrow_exception(m_failure);
        return std::move(m_results);
    }

private:
    void work()
    {
        try {
            for (std::size_t group = m_nextGroup++; group < m_groups.size() && !m_failed;
                 group = m_nextGroup++) {
                for (std::size_t index : m_groups[group])
                    convertOne(index);
            }
        } catch (...) {
            recordFailure(std::current_exception());
        }
    }

    void convertOne(std::size_t index)
    {
        FileResult &result = m_results[index];
        if (isCancelled(m_options.cancel)) {
            result.outcome = Outcome::Cancelled;
        } else {
            if (m_options.onFileStarted)
                m_options.onFileStarted(index);
            result = convertFile(m_inputs[index],
                                 outputPathFor(m_options.outputDirectory, m_inputs[index]),
                                 fileOptions(index));
        }
        if (m_options.onFileFinished)
            m_options.onFileFinished(index, result);
    }

    ConvertOptions fileOptions(std::size_t index) const
    {
        ConvertOptions options;
        options.sourceEncoding = m_options.sourceEncoding;
        options.targetEncoding = m_options.targetEncoding;
        options.tuning.chunkSize = m_options.chunkSize;
        // With fewer files than workers, the idle ones help with large files.
        options.workers = std::max<unsigned>(1, m_workers / static_cast<unsigned>(m_groups.size()));
        options.tuning.parallelFrom = m_options.parallelFrom;
        options.tuning.pieceSize = m_options.pieceSize;
        options.cancel = m_options.cancel;
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

    const std::vector<std::filesystem::path> &m_inputs;
    const BatchOptions &m_options;
    const std::vector<Group> m_groups;
    std::vector<FileResult> m_results;
    unsigned m_workers = 1;
    std::atomic<std::size_t> m_nextGroup{0};
    std::atomic<bool> m_failed{false};
    std::mutex m_failureMutex;
    std::exception_ptr m_failure;
};

} // namespace

std::vector<FileResult> convertBatch(const std::vector<std::filesystem::path> &inputs,
                                     const BatchOptions &options)
{
    // Resolve both names before any file is touched.
    if (options.sourceEncoding != kDetectEncoding)
        Converter source(options.sourceEncoding);
    Converter target(options.targetEncoding);
    return BatchRun(inputs, options).run();
}

} // namespace velloran
