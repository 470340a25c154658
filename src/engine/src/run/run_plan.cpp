// Planning a run: where each entry writes, and which entries must not be
// converted because converting them would lose text. Decided from the list
// alone, before any file is touched, so the run itself can convert all its
// entries at once.
//
// Files are told apart by what they are, not by how they are spelled: an
// existing file by its identity (device and inode), a missing one (an output
// not written yet) by its directory's identity plus its name.
#include "run/run_plan.h"

#include "files/directory_platform.h"
#include "files/path_text.h"
#include "run/identity_lookup.h"
#include "run/output_paths.h"
#include "run/place_index.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>

namespace velloran {

namespace {

namespace fs = std::filesystem;
using NativeString = fs::path::string_type;

std::optional<std::size_t> earlierOf(std::optional<std::size_t> a, std::optional<std::size_t> b)
{
    return a && b ? std::min(a, b) : a ? a : b;
}

std::string_view bytesOf(NativeView text)
{
    return {reinterpret_cast<const char *>(text.data()), text.size() * sizeof(text[0])};
}

struct NativeHash
{
    using is_transparent = void;
    std::size_t operator()(NativeView text) const { return std::hash<NativeView>()(text); }
};

class Planner
{
public:
    Planner(const RunOptions &options, std::size_t entries)
        : m_options(options), m_threads(workersFor(options)),
          m_paths(options, fs::current_path()), m_inputs(entries), m_outputs(entries)
    {
    }

    // Two passes: every input is known before any output is placed, so that
    // no entry may write over the file of another entry, earlier or later.
    RunPlan plan(const std::vector<RunInput> &inputs)
    {
        const std::vector<std::optional<FileIdentity>> inputIdentities = identitiesOf(
            inputs.size(), [&](std::size_t i) -> const fs::path & { return inputs[i].path; },
            m_threads);
        std::vector<Place> reads;
        reads.reserve(inputs.size());
        std::vector<std::size_t> firstReaders;
        firstReaders.reserve(inputs.size());
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            Place in = placeOf(inputs[i].path, inputIdentities[i], m_reads);
            if (!in.identity)
                in.location = m_keptInputs.keep(in.location);
            firstReaders.push_back(m_inputs.file(in, i));
            reads.push_back(in);
        }
        std::vector<fs::path> outputs;
        outputs.reserve(inputs.size());
        for (const RunInput &input : inputs)
            outputs.push_back(m_paths.of(input));
        // In place, an entry writes where it reads: nothing more to look up.
        const std::vector<std::optional<FileIdentity>> outputIdentities =
            m_options.outputRule == OutputRule::InPlace
                ? std::vector<std::optional<FileIdentity>>(outputs.size())
                : identitiesOf(
                      outputs.size(), [&](std::size_t i) -> const fs::path & { return outputs[i]; },
                      m_threads);
        RunPlan plan;
        plan.entries.reserve(inputs.size());
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            plan.entries.push_back(planEntry(i, inputs[i].path, std::move(outputs[i]),
                                             outputIdentities[i], reads[i], firstReaders[i]));
        }
        return plan;
    }

private:
    struct Directory
    {
        std::string key; // ends in a NUL, which no name holds, so a name can follow
    };
    using DirectoryEntry = std::pair<const NativeString, Directory>;

    // One side of the look-ups, reads or writes: each keeps the directory it
    // used last (most entries follow one another in a few directories) and
    // the buffer its locations are made in.
    struct Side
    {
        DirectoryEntry *lastDirectory = nullptr;
        std::string location;
    };

    PlannedEntry planEntry(std::size_t i, const fs::path &input, fs::path output,
                           const std::optional<FileIdentity> &outputIdentity, const Place &in,
                           std::size_t firstReader)
    {
        PlannedEntry entry;
        entry.input = input;
        entry.output = std::move(output);
        if (firstReader != i) {
            entry.action = PlannedEntry::Action::Repeat;
            entry.sameAs = firstReader;
            return entry;
        }
        const bool inPlace = m_options.outputRule == OutputRule::InPlace;
        const Place out = inPlace ? in : placeOf(entry.output, outputIdentity, m_writes);
        // In the way: an earlier entry writes this input or this output, or
        // any other entry reads this output (its text would be lost, whether
        // it came earlier or later in the list).
        std::optional<std::size_t> reader = m_inputs.find(out);
        if (reader == i)
            reader.reset();
        const std::optional<std::size_t> inTheWay = earlierOf(
            earlierOf(m_outputs.find(in), inPlace ? std::nullopt : m_outputs.find(out)), reader);
        if (inTheWay) {
            entry.action = PlannedEntry::Action::SharedOutput;
            entry.sameAs = *inTheWay;
            return entry;
        }
        m_outputs.file(out, i);
        return entry;
    }

    // A file that exists is known by its identity; one that does not by its
    // directory and its name.
    Place placeOf(const fs::path &path, const std::optional<FileIdentity> &identity, Side &side)
    {
        Place place;
        place.identity = identity;
        if (!identity) {
            const NativeView text = path.native();
            const std::size_t nameStart = nameStartOf(text);
            const DirectoryEntry &directory = directoryOf(text.substr(0, nameStart), side);
            side.location.assign(directory.second.key);
            side.location.append(bytesOf(text.substr(nameStart)));
            place.location = side.location;
        }
        return place;
    }

    DirectoryEntry &directoryOf(NativeView text, Side &side)
    {
        if (side.lastDirectory && side.lastDirectory->first == text)
            return *side.lastDirectory;
        auto it = m_directories.find(text);
        if (it == m_directories.end()) {
            it = m_directories.emplace(NativeString(text), Directory()).first;
            Directory &directory = it->second;
            const auto identity = identityOf(pathOf(it->first));
            if (identity) {
                directory.key.push_back('i');
                directory.key.append(std::to_string(identity->device)).push_back(':');
                directory.key.append(std::to_string(identity->file));
            } else {
                std::error_code error;
                directory.key.push_back('p');
                directory.key.append(
                    bytesOf(fs::weakly_canonical(m_paths.normal(pathOf(it->first)), error).native()));
            }
            directory.key.push_back('\0');
        }
        side.lastDirectory = &*it;
        return *it;
    }

    static fs::path pathOf(NativeView directory)
    {
        return directory.empty() ? fs::path(".") : fs::path(directory);
    }

    const RunOptions &m_options;
    const unsigned m_threads;
    const OutputPaths m_paths;
    PlaceIndex m_inputs;        // where entries read: the first entry reading there
    PlaceIndex m_outputs;       // where entries write: the entry writing there
    LocationStore m_keptInputs; // the inputs' locations, kept for the second pass
    Side m_reads;
    Side m_writes;
    std::unordered_map<NativeString, Directory, NativeHash, std::equal_to<>> m_directories;
};

} // namespace

unsigned workersFor(const RunOptions &options)
{
    return std::max(options.workers != 0 ? options.workers : usableCpuCount(), 1u);
}

RunPlan planRun(const std::vector<RunInput> &inputs, const RunOptions &options)
{
    return Planner(options, inputs.size()).plan(inputs);
}

} // namespace velloran
