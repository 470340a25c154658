// SPDX-License-Identifier: GPL-3.0-or-later
// Resolving encoding names, once per run: everything the engine needs to
// know about a name is learnt here, from ICU.
#include "velloran/encoding.h"

#include "codec/converter.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velloran {

UnknownEncoding::UnknownEncoding(std::string name)
    : std::runtime_error("unknown encoding: " + name), m_name(std::move(name))
{
}

namespace {

// The legacy Chinese family of a resolved encoding, by ICU's canonical name:
// GBK and GB2312 are subsets of GB18030, so one family reads them all.
std::string familyOf(const std::string &canonical)
{
    static const std::array<std::pair<std::string, std::string>, 4> members = [] {
        const auto canonicalOf = [](std::string_view member) {
            const std::optional<Converter> converter = Converter::tryOpen(member);
            return converter ? converter->name() : std::string();
        };
        return std::array<std::pair<std::string, std::string>, 4>{{
            {canonicalOf("GB18030"), "GB18030"},
            {canonicalOf("GBK"), "GB18030"},
            {canonicalOf("GB2312"), "GB18030"},
            {canonicalOf("Big5"), "Big5"},
        }};
    }();
    for (const auto &[member, family] : members)
        if (!member.empty() && member == canonical)
            return family;
    return {};
}

} // namespace

Encoding resolveEncoding(std::string_view name)
{
    const std::optional<Converter> converter = Converter::tryOpen(name);
    if (!converter)
        throw UnknownEncoding(std::string(name));
    std::string canonical = converter->name();
    std::string family = familyOf(canonical);
    const bool markDecidesByteOrder = converter->isByteOrderByMark();
    return Encoding{.name = std::string(name),
                    .canonical = std::move(canonical),
                    .family = std::move(family),
                    .markDecidesByteOrder = markDecidesByteOrder,
                    .canCarryMark = converter->isUtf8() || converter->isFixedUnitUnicode() ||
                                    markDecidesByteOrder,
                    .writesMark = markDecidesByteOrder};
}

Encoding resolveSource(std::string_view name)
{
    if (name == kDetectEncoding)
        return Encoding{.name = std::string(name)};
    return resolveEncoding(name);
}

bool isKnownEncoding(std::string_view name)
{
    return Converter::tryOpen(name).has_value();
}

std::vector<std::string> knownEncodings()
{
    std::vector<std::string> names;
    const int32_t count = ucnv_countAvailable();
    for (int32_t i = 0; i < count; ++i)
        names.emplace_back(ucnv_getAvailableName(i));
    return names;
}

// ICU's alias table lists the canonical name first. Names with options
// ("UTF-16BE,version=1") are not in it, and are known by what they open.
std::vector<std::string> namesOf(std::string_view name)
{
    const std::string text(name);
    std::vector<std::string> names;
    UErrorCode error = U_ZERO_ERROR;
    const uint16_t count = ucnv_countAliases(text.c_str(), &error);
    for (uint16_t i = 0; i < count && U_SUCCESS(error); ++i) {
        const char *alias = ucnv_getAlias(text.c_str(), i, &error);
        if (U_SUCCESS(error) && std::find(names.begin(), names.end(), alias) == names.end())
            names.emplace_back(alias);
    }
    if (names.empty()) {
        if (const std::optional<Converter> converter = Converter::tryOpen(name))
            names.push_back(converter->name());
    }
    return names;
}

} // namespace velloran
