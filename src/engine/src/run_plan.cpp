// Planning a run: where each entry writes, and which entries must not be
// converted because converting them would lose text. Decided from the list
// alone, before any file is touched, so the run itself can convert all its
// entries at once.
//
// Files are told apart by what they are, not by how they are spelled: an
// existing file by its identity (device and inode), a missing one (an output
// not written yet) by its directory's identity plus its name.
#include "run_plan.h"

#include "converter.h"
#include "directory_platform.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace velloran {

namespace {

namespace fs = std::filesystem;
using NativeString = fs::path::string_type;
using NativeView = std::basic_string_view<fs::path::value_type>;

bool isSeparator(fs::path::value_type c)
{
    return c == '/' || c == fs::path::preferred_separator;
}

// Where a file is: its identity, or, when it does not exist, a key made of
// its directory's identity (or canonical path) and its name.
struct Place
{
    std::optional<FileIdentity> identity;
    std::string location;
};

struct IdentityHash
{
    std::size_t operator()(const FileIdentity &identity) const
    {
        return std::hash<std::uint64_t>()(identity.file * 31 + identity.device);
    }
};

// Entries filed by the place they read or write; the first one stays.
class PlaceIndex
{
public:
    explicit PlaceIndex(std::size_t expected)
    {
        m_identities.reserve(expected);
        m_locations.reserve(expected);
    }

    // Files `entry` under `place` unless an earlier entry is filed there;
    // returns the entry filed there.
    std::size_t file(const Place &place, std::size_t entry)
    {
        return place.identity ? m_identities.try_emplace(*place.identity, entry).first->second
                              : m_locations.try_emplace(place.location, entry).first->second;
    }

    std::optional<std::size_t> find(const Place &place) const
    {
        if (place.identity) {
            const auto it = m_identities.find(*place.identity);
            return it == m_identities.end() ? std::nullopt : std::optional(it->second);
        }
        const auto it = m_locations.find(place.location);
        return it == m_locations.end() ? std::nullopt : std::optional(it->second);
    }

private:
    std::unordered_map<FileIdentity, std::size_t, IdentityHash> m_identities;
    std::unordered_map<std::string, std::size_t> m_locations;
};

std::optional<std::size_t> earlierOf(std::optional<std::size_t> a, std::optional<std::size_t> b)
{
    return a && b ? std::min(a, b) : a ? a : b;
}

std::string bytesOf(NativeView text)
{
    return std::string(reinterpret_cast<const char *>(text.data()),
                       text.size() * sizeof(fs::path::value_type));
}

class Planner
{
public:
    Planner(const RunOptions &options, std::size_t entries)
        : m_options(options), m_workingDirectory(fs::current_path()), m_inputs(entries),
          m_outputs(entries)
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
        if (const std::size_t first = m_inputs.file(in, i); first != i) {
            entry.action = PlannedEntry::Action::Repeat;
            entry.sameAs = first;
            return entry;
        }
        const bool inPlace = m_options.outputRule == OutputRule::InPlace;
        const Place out = inPlace ? in : placeOf(entry.output);
        // In the way: an earlier entry writes this input or this output, or
        // reads this output (its input would be gone before it is read).
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
        if (auto below = plainlyBelow(input.path.native(), input.base.native()))
            return std::move(*below);
        const fs::path relative = normal(input.path).lexically_relative(normal(input.base));
        if (relative.empty() || relative == "." || *relative.begin() == "..")
            return input.path.filename();
        return relative;
    }

    // The common case without path arithmetic: `path` is `base`, a separator
    // and names that are neither "." nor "..".
    static std::optional<fs::path> plainlyBelow(const NativeString &path, NativeString base)
    {
        while (!base.empty() && isSeparator(base.back()))
            base.pop_back();
        if (base.empty() || path.size() <= base.size() + 1 || !path.starts_with(base) ||
            !isSeparator(path[base.size()]))
            return std::nullopt;
        fs::path relative(path.substr(base.size() + 1));
        if (relative.has_root_path())
            return std::nullopt;
        for (const fs::path &name : relative) {
            if (name == "." || name == ".." || name.empty())
                return std::nullopt;
        }
        return relative;
    }

    fs::path normal(const fs::path &path) const
    {
        return (path.is_absolute() ? path : m_workingDirectory / path).lexically_normal();
    }

    Place placeOf(const fs::path &path)
    {
        const NativeString &text = path.native();
        auto nameStart = text.size();
        while (nameStart > 0 && !isSeparator(text[nameStart - 1]))
            --nameStart;
        const NativeView view(text);
        const Directory &directory = directoryOf(view.substr(0, nameStart));
        Place place;
        // Nothing exists in a directory that does not (a new output folder).
        if (directory.exists)
            place.identity = identityOf(path);
        if (!place.identity) {
            const NativeView name = view.substr(nameStart);
            place.location.reserve(directory.key.size() + name.size() * sizeof(name[0]));
            place.location.append(directory.key);
            place.location.append(reinterpret_cast<const char *>(name.data()),
                                  name.size() * sizeof(name[0]));
        }
        return place;
    }

    struct Directory
    {
        std::string key; // ends in a NUL, which no name holds, so a name can follow
        bool exists = false;
    };

    // Looked up once per directory: most entries share a few, and follow
    // one another.
    const Directory &directoryOf(NativeView text)
    {
        if (m_lastDirectory && m_lastDirectory->first == text)
            return m_lastDirectory->second;
        const auto [it, isNew] = m_directories.try_emplace(NativeString(text));
        if (isNew) {
            const fs::path directory = text.empty() ? fs::path(".") : fs::path(it->first);
            std::string &key = it->second.key;
            if (const auto identity = identityOf(directory)) {
                it->second.exists = true;
                key.push_back('i');
                key.append(std::to_string(identity->device)).push_back(':');
                key.append(std::to_string(identity->file));
            } else {
                std::error_code error;
                key.push_back('p');
                key.append(bytesOf(fs::weakly_canonical(normal(directory), error).native()));
            }
            key.push_back('\0');
        }
        m_lastDirectory = &*it;
        return it->second;
    }

    const RunOptions &m_options;
    const fs::path m_workingDirectory;
    PlaceIndex m_inputs;  // where entries read: the first entry reading there
    PlaceIndex m_outputs; // where entries write: the entry writing there
    std::unordered_map<NativeString, Directory> m_directories;
    const std::pair<const NativeString, Directory> *m_lastDirectory = nullptr;
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
    return Planner(options, inputs.size()).plan(inputs);
}

} // namespace velloran
