// SPDX-License-Identifier: GPL-3.0-or-later
// The run plan's indexes: the entries that write each place, the entries
// that read through each place, and the entries that read each file.
#pragma once

#include "files/directory_platform.h"
#include "velloran/result.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velloran {

struct IdentityHash
{
    std::size_t operator()(const FileIdentity &identity) const
    {
        return std::hash<std::uint64_t>()(identity.file * 31 + identity.device);
    }
};

// The keys of a whole run kept in a few large blocks rather than in one
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

// One entry per place (Places' keys).
class PlaceIndex
{
public:
    explicit PlaceIndex(std::size_t expected) { m_entries.reserve(expected); }

    // Call only where find() found none.
    void file(std::string_view place, std::size_t entry)
    {
        m_entries.emplace(m_store.keep(place), entry);
    }

    std::optional<std::size_t> find(std::string_view place) const
    {
        const auto it = m_entries.find(place);
        return it == m_entries.end() ? std::nullopt : std::optional(it->second);
    }

private:
    std::unordered_map<std::string_view, std::size_t> m_entries;
    LocationStore m_store;
};

// Any number of entries per place; the caller keeps the keys.
class PlaceLists
{
public:
    void file(std::string_view place, std::size_t entry)
    {
        auto [it, added] = m_heads.try_emplace(place, m_nodes.size());
        m_nodes.push_back({entry, added ? kNoEntry : it->second});
        it->second = m_nodes.size() - 1;
    }

    template <class Visit> void forEach(std::string_view place, const Visit &visit) const
    {
        const auto it = m_heads.find(place);
        for (std::size_t node = it == m_heads.end() ? kNoEntry : it->second; node != kNoEntry;
             node = m_nodes[node].next)
            visit(m_nodes[node].entry);
    }

private:
    struct Node
    {
        std::size_t entry;
        std::size_t next;
    };
    std::unordered_map<std::string_view, std::size_t> m_heads;
    std::vector<Node> m_nodes;
};

// The entries reading each file, in list order.
class FileGroups
{
public:
    explicit FileGroups(std::size_t entries) : m_next(entries, kNoEntry)
    {
        m_groups.reserve(entries);
    }

    void add(const FileIdentity &file, std::size_t entry)
    {
        auto [it, added] = m_groups.try_emplace(file, Group{entry, entry});
        if (!added)
            it->second.last = m_next[it->second.last] = entry;
    }

    // Whether one entry alone reads `file`.
    bool single(const FileIdentity &file) const
    {
        const auto it = m_groups.find(file);
        return it != m_groups.end() && it->second.first == it->second.last;
    }

    // The first entry reading `file` the first time it is taken; kNoEntry
    // after that, or when no entry reads it. next() gives the others.
    std::size_t take(const FileIdentity &file)
    {
        const auto it = m_groups.find(file);
        if (it == m_groups.end() || it->second.taken)
            return kNoEntry;
        it->second.taken = true;
        return it->second.first;
    }

    std::size_t next(std::size_t entry) const { return m_next[entry]; }

private:
    struct Group
    {
        std::size_t first;
        std::size_t last;
        bool taken = false;
    };
    std::unordered_map<FileIdentity, Group, IdentityHash> m_groups;
    std::vector<std::size_t> m_next;
};

} // namespace velloran
