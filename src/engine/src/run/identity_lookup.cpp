// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/identity_lookup.h"

#include "files/path_text.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

namespace velloran {

namespace {

namespace fs = std::filesystem;

// Keeps open the directory it looked in last: lists come grouped by
// directory, and then only a name is looked up, not a whole path.
class Lookup
{
public:
    std::optional<FileIdentity> identityOf(const fs::path &path)
    {
        const fs::path::string_type &text = path.native();
        if (text.empty())
            return std::nullopt;
        const std::size_t nameStart = nameStartOf(text);
        if (!m_directory || text.compare(0, nameStart, m_directoryText) != 0 ||
            m_directoryText.size() != nameStart) {
            m_directoryText.assign(text, 0, nameStart);
            m_directory.emplace(nameStart == 0 ? fs::path(".") : fs::path(m_directoryText));
        }
        return m_directory->identityOf(path.c_str() + nameStart);
    }

private:
    fs::path::string_type m_directoryText;
    std::optional<OpenDirectory> m_directory;
};

} // namespace

std::vector<std::optional<FileIdentity>> identitiesOf(std::size_t count, const PathAt &pathAt,
                                                      unsigned threads)
{
    // Consecutive paths in batches, so that each thread mostly stays in one directory.
    constexpr std::size_t kBatch = 512;
    std::vector<std::optional<FileIdentity>> identities(count);
    std::atomic<std::size_t> next{0};
    std::mutex failureMutex;
    std::exception_ptr failure;
    const auto work = [&] {
        try {
            Lookup lookup;
            for (std::size_t begin; (begin = next.fetch_add(kBatch)) < count;) {
                for (std::size_t i = begin; i < std::min(count, begin + kBatch); ++i)
                    identities[i] = lookup.identityOf(pathAt(i));
            }
        } catch (...) {
            std::lock_guard lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
        }
    };
    const std::size_t batches = (count + kBatch - 1) / kBatch;
    const std::size_t helpers = std::min<std::size_t>(std::max(threads, 1u), batches);
    {
        std::vector<std::jthread> pool;
        for (std::size_t i = 1; i < helpers; ++i)
            pool.emplace_back(work);
        work();
    }
    if (failure)
        std::rethrow_exception(failure);
    return identities;
}

} // namespace velloran
