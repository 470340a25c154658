// SPDX-License-Identifier: GPL-3.0-or-later
#include "encoding_list.h"

#include "velloran/encoding.h"

#include <set>
#include <string_view>
#include <vector>

namespace {

// The window's encodings, in its order: the ones most runs name.
constexpr std::string_view kCommonEncodings[] = {"GB18030", "GBK",    "GB2312", "Big5",
                                                 "UTF-8",   "UTF-16", "UTF-32", "UTF-7"};

// `first`, then the other names of the encoding.
std::string lineOf(std::string_view first, const std::vector<std::string> &names)
{
    std::string line(first);
    for (const std::string &name : names) {
        if (name != first)
            line += " " + name;
    }
    return line + "\n";
}

} // namespace

std::string encodingListText()
{
    std::string text;
    std::set<std::string> listed; // canonical names
    for (const std::string_view name : kCommonEncodings) {
        const std::vector<std::string> names = velloran::namesOf(name);
        if (names.empty())
            continue; // an ICU built without it
        text += lineOf(name, names);
        listed.insert(names.front());
    }
    for (const std::string &canonical : velloran::knownEncodings()) {
        if (listed.insert(canonical).second)
            text += lineOf(canonical, velloran::namesOf(canonical));
    }
    return text;
}
