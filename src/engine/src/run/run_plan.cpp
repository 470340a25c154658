// SPDX-License-Identifier: GPL-3.0-or-later
// Planning a run: where each entry writes, which entries repeat an earlier
// one, which must not be converted because converting them would lose text,
// and which must wait for another. Decided from the list alone, before any
// file is touched, so the run itself can convert its entries at once.
//
// Three things are compared (see Places): the place each entry writes, the
// places reading its input goes through (its own name, and where its links
// lead), and the file it reads (its identity, when it exists).
#include "run/run_plan.h"

#include "run/identity_lookup.h"
#include "run/output_paths.h"
#include "run/place_index.h"
#include "run/places.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace velloran {

namespace {

namespace fs = std::filesystem;
using Identities = std::vector<std::optional<FileIdentity>>;

std::optional<std::size_t> earlierOf(std::optional<std::size_t> a, std::optional<std::size_t> b)
{
    return a && b ? std::min(a, b) : a ? a : b;
}

class Planner
{
public:
    // Relative paths are taken from `workingDirectory`, asked once per run.
    Planner(const RunOptions &options, const std::vector<RunInput> &inputs,
            const fs::path &workingDirectory)
        : m_inputs(inputs), m_threads(workersFor(options)),
          m_inPlace(options.outputRule == OutputRule::InPlace), m_paths(options, workingDirectory),
          m_places(workingDirectory), m_readings(inputs.size()), m_groups(inputs.size()),
          m_writers(inputs.size()), m_claims(0)
    {
    }

    // Two passes: every input is known before any output is placed, so that
    // no entry may write where another one reads, earlier or later.
    RunPlan plan()
    {
        m_files = identitiesOf(
            m_inputs.size(), [&](std::size_t i) -> const fs::path & { return m_inputs[i].path; },
            m_threads);
        for (std::size_t i = 0; i < m_inputs.size(); ++i) {
            if (m_files[i])
                m_groups.add(*m_files[i], i);
            else
                lookAt(i); // a missing input may be a link to a place an entry writes
        }
        m_entries.reserve(m_inputs.size());
        for (const RunInput &input : m_inputs)
            m_entries.push_back({.input = input.path, .output = m_paths.of(input)});
        // In place, an entry writes where it reads: nothing more to look up.
        const Identities written =
            m_inPlace ? Identities(m_entries.size())
                      : identitiesOf(
                            m_entries.size(),
                            [&](std::size_t i) -> const fs::path & { return m_entries[i].output; },
                            m_threads);
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            decide(i, m_inPlace ? m_files[i] : written[i]);
        orderReaders();
        return RunPlan{std::move(m_entries)};
    }

private:
    // What reading an entry's input goes through, once looked at.
    struct Reading
    {
        std::string_view place; // its own name's; empty until looked at
        std::size_t length = 0; // how many places, its own included
    };

    // Sets entry i's action. `written`: the file its output's name holds now, if any.
    void decide(std::size_t i, const std::optional<FileIdentity> &written)
    {
        PlannedEntry &entry = m_entries[i];
        // No other entry reads this file under any name, and none writes
        // anywhere but where it reads.
        const bool alone = m_files[i] && m_groups.single(*m_files[i]);
        entry.replacesInput = m_inPlace;
        if (m_inPlace && alone)
            return;
        if (written)
            lookAtReadersOf(*written);
        const std::string_view place = writePlaceOf(i, m_writeCursor);
        if (!m_inPlace && written && written == m_files[i]) {
            lookAt(i);
            entry.replacesInput = place == m_readings[i].place;
        }
        if (const auto first = alone ? std::nullopt : claim(place, i)) {
            entry.action = PlannedEntry::Action::Repeat;
            entry.sameAs = *first;
            return;
        }
        m_goFirst.clear();
        if (const auto inTheWay =
                earlierOf(m_writers.find(place), readerInTheWay(i, place, m_goFirst))) {
            entry.action = PlannedEntry::Action::SharedOutput;
            entry.sameAs = *inTheWay;
            return;
        }
        for (const std::size_t reader : m_goFirst)
            m_waits.push_back({reader, i});
        m_writers.file(place, i);
    }

    // The first other entry whose input's name, or a name on the way to its
    // input, entry i's output would replace. Entries reading through the
    // name entry i converts in place read the same file: they are not in its
    // way but must go before it, and are added to `goFirst`.
    std::optional<std::size_t> readerInTheWay(std::size_t i, std::string_view place,
                                              std::vector<std::size_t> &goFirst)
    {
        std::optional<std::size_t> inTheWay;
        m_readers.forEach(place, [&](std::size_t k) {
            if (k == i || (sameFile(i, k) && writePlaceOf(k, m_otherCursor) == place))
                return; // itself, or a later repeat of it
            if (place != m_readings[i].place || (m_files[i] && m_files[k] != m_files[i]))
                inTheWay = earlierOf(inTheWay, k);
            else if (m_files[i])
                goFirst.push_back(k);
        });
        return inTheWay;
    }

    // The first entry that reads the same file as entry i and writes the
    // same place, whatever became of it; none when i is the first.
    std::optional<std::size_t> claim(std::string_view place, std::size_t i)
    {
        m_claim.assign(place).push_back('\0');
        if (const auto &file = m_files[i])
            m_claim.append(std::to_string(file->device))
                .append(":")
                .append(std::to_string(file->file));
        else
            m_claim.append(m_readings[i].place);
        const auto first = m_claims.find(m_claim);
        if (!first)
            m_claims.file(m_claim, i);
        return first;
    }

    std::string_view writePlaceOf(std::size_t i, Places::Cursor &cursor)
    {
        if (m_inPlace) {
            lookAt(i);
            return m_readings[i].place;
        }
        return m_places.keyOf(m_entries[i].output.native(), cursor);
    }

    // The same file: the same identity, or the same place for missing ones.
    bool sameFile(std::size_t a, std::size_t b) const
    {
        if (m_files[a] || m_files[b])
            return m_files[a] == m_files[b];
        return m_readings[a].place == m_readings[b].place;
    }

    // Files every entry reading `file` under the places on its way, once.
    void lookAtReadersOf(const FileIdentity &file)
    {
        for (std::size_t k = m_groups.take(file); k != kNoEntry; k = m_groups.next(k))
            lookAt(k);
    }

    void lookAt(std::size_t k)
    {
        Reading &reading = m_readings[k];
        if (!reading.place.empty())
            return;
        m_places.forEachOnTheWay(m_inputs[k].path, m_readCursor, [&](std::string_view place) {
            const std::string_view kept = m_keptPlaces.keep(place);
            if (reading.length++ == 0)
                reading.place = kept;
            m_readers.file(kept, k);
        });
    }

    // Makes each entry converted where it reads wait for the entries reading
    // through its name. Such a reader either reaches that name on a longer way
    // (through a link), or is the same name converted elsewhere, which waits
    // for none: so, file by file, the longest ways first and, among equal
    // ones, the entries that wait for none first, is an order every wait
    // agrees with. The entries of one file are chained in that order.
    void orderReaders()
    {
        std::vector<std::size_t> readers, converters;
        for (const auto &[reader, converter] : m_waits) {
            if (m_entries[reader].action == PlannedEntry::Action::Convert) {
                readers.push_back(reader);
                converters.push_back(converter);
            }
        }
        if (readers.empty())
            return;
        std::sort(converters.begin(), converters.end());
        std::vector<std::size_t> order = readers;
        order.insert(order.end(), converters.begin(), converters.end());
        const auto key = [&](std::size_t i) {
            const FileIdentity &file = *m_files[i];
            return std::tuple(file.device, file.file, -static_cast<long long>(m_readings[i].length),
                              std::binary_search(converters.begin(), converters.end(), i), i);
        };
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
        order.erase(std::unique(order.begin(), order.end()), order.end());
        for (std::size_t n = 1; n < order.size(); ++n) {
            if (m_files[order[n]] == m_files[order[n - 1]])
                m_entries[order[n]].after = order[n - 1];
        }
    }

    const std::vector<RunInput> &m_inputs;
    const unsigned m_threads;
    const bool m_inPlace;
    const OutputPaths m_paths;
    Places m_places;
    LocationStore m_keptPlaces;          // the keys m_readings and m_readers hold
    Identities m_files;                  // what each input names now
    std::vector<PlannedEntry> m_entries; // the plan being made
    std::vector<Reading> m_readings;     // by entry
    FileGroups m_groups;                 // the entries reading each file
    PlaceLists m_readers;                // the entries reading through each place
    PlaceIndex m_writers;                // the entry converted into each place
    PlaceIndex m_claims;                 // by place and file: the first entry (files of several)
    std::string m_claim;                 // the key being made
    std::vector<std::pair<std::size_t, std::size_t>> m_waits; // (reader, converter in place)
    std::vector<std::size_t> m_goFirst; // the readers the entry being decided waits for
    Places::Cursor m_readCursor;
    Places::Cursor m_writeCursor;
    Places::Cursor m_otherCursor;
};

} // namespace

unsigned workersFor(const RunOptions &options)
{
    return std::max(options.workers != 0 ? options.workers : usableCpuCount(), 1u);
}

RunPlan planRun(const std::vector<RunInput> &inputs, const RunOptions &options)
{
    return Planner(options, inputs, fs::current_path()).plan();
}

} // namespace velloran
