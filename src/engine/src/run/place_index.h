// The run plan's index of places: where entries read and write, so that two
// entries touching one file are found however their paths are spelled.
#pragma once

#include "files/directory_platform.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velloran {

// Where a file is: its identity, or, when it does not exist, a key made of
// its directory's identity (or canonical path) and its name.
struct Place
{
    std::optional<FileIdentity> identity;
    std::string_view location; // held by the planner until its next look-up
};

struct IdentityHash
{
    std::size_t operator()(const FileIdentity &identity) const
    {
        return std::hash<std::uint64_t>()(identity.file * 31 + identity.device);
    }
};

// The locations of a whole run kept in a few large blocks rather than in one
// allocation each.
class LocationStore
{
public:
    std::string_view keep(std::string_view location)
    {
        if (location.size() > kBlockSize - m_used) {
            m_blocks.push_back(std::make_unique<char[]>(std::max(kBlockSize, location.size())));
            m_used = 0;
        }
        char *kept = m_blocks.back().get() + m_used;
        std::copy(location.begin(), location.end(), kept);
        m_used += location.size();
        return {kept, location.size()};
    }

private:
    static constexpr std::size_t kBlockSize = 1 << 20;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = kBlockSize;
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
        if (place.identity)
            return m_identities.try_emplace(*place.identity, entry).first->second;
        if (const auto earlier = find(place))
            return *earlier;
        m_locations.emplace(m_store.keep(place.location), entry);
        return entry;
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
    std::unordered_map<std::string_view, std::size_t> m_locations;
    LocationStore m_store;
};

} // namespace velloran
