// Planning a run: where each entry writes, and which entries must not be
// converted because converting them would lose text. Decided from the list
// alone, before any file is touched, so the run itself can convert all its
// entries at once.
//
// Files are told apart by what they are, not by how they are spelled: an
// existing file by its identity (device and inode), a missing one by its
// absolute path without "." and "..". An output, which may not exist yet, is
// its directory's identity plus its name.
#include "run_plan.h"

#include "converter.h"
#include "directory_platform.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>

namespace velloran {

namespace {

namespace fs = std::filesystem;

// Identities, paths and locations become byte strings, so one hash map holds
// them all; their first letters keep them apart.
std::string keyOf(const fs::path &path)
{
    const auto &native = path.native();
    std::string key = "p";
    key.append(reinterpret_cast<const char *>(native.data()),
               native.size() * sizeof(fs::path::value_type));
    return key;
}

std::string keyOf(const FileIdentity &identity)
{
    std::string key(1 + sizeof identity.device + sizeof identity.file, 'i');
    std::memcpy(key.data() + 1, &identity.device, sizeof identity.device);
    std::memcpy(key.data() + 1 + sizeof identity.device, &identity.file, sizeof identity.file);
    return key;
}

using EntryIndex = std::unordered_map<std::string, std::size_t>;

// Keeps in `found` the earliest entry filed under `key` in `index`.
void noteEarliest(std::optional<std::size_t> &found, const EntryIndex &index,
                  const std::string *key)
{
    if (key == nullptr)
        return;
    if (const auto it = index.find(*key); it != index.end())
        found = std::min(found.value_or(it->second), it->second);
}

// What the planner knows about one path.
struct Place {
    std::string file;                  // the file: its identity, else its normal path
    std::optional<std::string> exists; // its identity's key, when it exists
    std::string location;              // its directory plus its name
};

class Planner
{
public:
    explicit Planner(const RunOptions &options)
        : m_options(options), m_workingDirectory(fs::current_path())
    {
    }

    RunPlan plan(const std::vector<RunInput> &inputs)
    {
        RunPlan plan;
        plan.entries.reserve(inputs.size());
        for (std::size_t i = 0; i < inputs.size(); ++i)
            plan.entries.push_back(planEntry(i, inputs[i]));
        return plan;
    }

private:
    PlannedEntry planEntry(std::size_t i, const RunInput &input)
    {
        PlannedEntry entry;
        entry.input = input.path;
        entry.output = outputOf(input);
        const Place in = placeOf(entry.input);
        if (const auto [first, isNew] = m_files.try_emplace(in.file, i); !isNew) {
            entry.action = PlannedEntry::Action::Repeat;
            entry.sameAs = first->second;
            return entry;
        }
        const Place out = entry.output == entry.input ? in : placeOf(entry.output);
        const std::string *inIdentity = in.exists ? &*in.exists : nullptr;
        const std::string *outIdentity = out.exists ? &*out.exists : nullptr;
        // In the way: an earlier entry writes this input or this output, or
        // reads from this output (its input would be gone before it is read).
        std::optional<std::size_t> inTheWay;
        for (const std::string *key : {&in.location, inIdentity, &out.location, outIdentity})
            noteEarliest(inTheWay, m_outputs, key);
        for (const std::string *key : {&out.location, outIdentity})
            noteEarliest(inTheWay, m_inputs, key);

        m_inputs.try_emplace(in.location, i);
        m_inputs.try_emplace(in.file, i);
        if (inTheWay) {
            entry.action = PlannedEntry::Action::SharedOutput;
            entry.sameAs = *inTheWay;
            return entry;
        }
        m_outputs.try_emplace(out.location, i);
        if (outIdentity)
            m_outputs.try_emplace(*outIdentity, i);
        return entry;
    }

    fs::path outputOf(const RunInput &input) const
    {
        switch (m_options.outputRule) {
        case OutputRule::IntoDirectory:
            break;
        case OutputRule::KeepTree:
            return m_options.outputDirectory / pathInTree(input);
        case OutputRule::InPlace:
            return input.path;
        }
        return outputPathFor(m_options.outputDirectory, input.path);
    }

    // The input's path below its base; only its name when it has no base or
    // lies outside it, so that no output lands outside the output directory.
    fs::path pathInTree(const RunInput &input) const
    {
        if (input.base.empty())
            return input.path.filename();
        const fs::path relative = normal(input.path).lexically_relative(normal(input.base));
        if (relative.empty() || relative == "." || *relative.begin() == "..")
            return input.path.filename();
        return relative;
    }

    fs::path normal(const fs::path &path) const
    {
        return (path.is_absolute() ? path : m_workingDirectory / path).lexically_normal();
    }

    Place placeOf(const fs::path &path)
    {
        Place place;
        if (const auto identity = identityOf(path))
            place.exists = keyOf(*identity);
        place.file = place.exists ? *place.exists : keyOf(normal(path));
        fs::path directory = path.parent_path();
        if (directory.empty())
            directory = ".";
        const std::string &directoryPart = directoryKey(directory);
        const std::string namePart = keyOf(path.filename());
        place.location.reserve(2 + directoryPart.size() + namePart.size());
        place.location.push_back('l');
        place.location.append(directoryPart).push_back('/');
        place.location.append(namePart);
        return place;
    }

    // Looked up once per directory: most entries share a few.
    const std::string &directoryKey(const fs::path &directory)
    {
        const auto [it, isNew] = m_directories.try_emplace(directory.native());
        if (isNew) {
            std::error_code error;
            const auto identity = identityOf(directory);
            it->second = identity ? keyOf(*identity)
                                  : keyOf(fs::weakly_canonical(normal(directory), error));
        }
        return it->second;
    }

    const RunOptions &m_options;
    const fs::path m_workingDirectory;
    EntryIndex m_files;   // each input file: its first entry
    EntryIndex m_inputs;  // where entries read: the first entry reading there
    EntryIndex m_outputs; // where entries write: the entry writing there
    std::unordered_map<fs::path::string_type, std::string> m_directories;
};

} // namespace

void requireKnownEncodings(const RunOptions &options)
{
    if (options.sourceEncoding != kDetectEncoding)
        Converter source(options.sourceEncoding);
    Converter target(options.targetEncoding);
}

RunPlan planRun(const std::vector<RunInput> &inputs, const RunOptions &options)
{
    requireKnownEncodings(options);
    return Planner(options).plan(inputs);
}

} // namespace velloran
