// SPDX-License-Identifier: GPL-3.0-or-later
#include "json_report.h"

#include "system.h"
#include "text_bytes.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

std::string hexBytes(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return hex;
}

std::string jsonNumberOrNull(std::uint64_t value, bool present)
{
    return present ? std::to_string(value) : "null";
}

std::string jsonStringOrNull(std::string_view text)
{
    return text.empty() ? "null" : jsonString(text);
}

// "name": the path as text, and "name_bytes": its bytes when they are not UTF-8.
std::string jsonPath(const char *name, const std::filesystem::path &path)
{
    const std::string bytes = pathBytes(path);
    return std::string("\"") + name + "\": " + jsonString(bytes) + ", \"" + name +
           "_bytes\": " + (isValidUtf8(bytes) ? "null" : "\"" + hexBytes(bytes) + "\"");
}

std::string jsonEntry(const FinishedRun &run, std::size_t index)
{
    const velloran::FileResult &result = run.results[index];
    const velloran::PlannedEntry &entry = run.plan.entries[index];
    const bool hasLine = result.outcome == velloran::Outcome::InvalidSource ||
                         result.outcome == velloran::Outcome::Unrepresentable;
    return "{" + jsonPath("input", entry.input) + ", " + jsonPath("output", entry.output) +
           ", \"outcome\": \"" + outcomeName(result.outcome) + "\"" +
           ", \"line\": " + jsonNumberOrNull(result.line, hasLine && result.line > 0) +
           ", \"character\": " +
           (result.character ? "\"" + velloran::codePointName(result.character) + "\"" : "null") +
           ", \"encoding\": " + jsonStringOrNull(result.encoding) +
           ", \"likely\": " + jsonStringOrNull(result.likely) +
           ", \"reason\": " + jsonStringOrNull(result.reason) + ", \"repeat\": " +
           (entry.action == velloran::PlannedEntry::Action::Repeat ? "true" : "false") +
           ", \"same_as\": " +
           jsonNumberOrNull(result.sameAs, result.sameAs != velloran::kNoEntry) +
           ", \"message\": " + jsonStringOrNull(result.message) + "}";
}

std::string jsonDirectories(const std::vector<velloran::UnreadableDirectory> &directories)
{
    std::string text;
    for (const velloran::UnreadableDirectory &directory : directories)
        text += std::string(text.empty() ? "" : ", ") + "{" + jsonPath("path", directory.path) +
                ", \"message\": " + jsonString(directory.message) + "}";
    return "[" + text + "]";
}

} // namespace

std::string jsonString(std::string_view bytes)
{
    std::string out = "\"";
    while (!bytes.empty()) {
        const std::size_t length = utf8SequenceLength(bytes);
        const unsigned char c = static_cast<unsigned char>(bytes.front());
        if (length == 0) {
            out += kReplacement;
            bytes.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
        } else {
            out += bytes.substr(0, length);
        }
        bytes.remove_prefix(length);
    }
    return out + "\"";
}

std::string jsonReport(const FinishedRun &run, const velloran::RunCounts &counts)
{
    std::string text =
        "{\n  \"from\": " + jsonString(run.from) + ",\n  \"to\": " + jsonString(run.to) +
        ",\n  \"dry_run\": " + (run.dryRun ? "true" : "false") +
        ",\n  \"counts\": {\"entries\": " + std::to_string(counts.entries) +
        ", \"converted\": " + std::to_string(counts.converted) +
        ", \"unchanged\": " + std::to_string(counts.unchanged) +
        ", \"failed\": " + std::to_string(counts.failed()) +
        ", \"cancelled\": " + std::to_string(counts.cancelled) +
        "},\n  \"unreadable_directories\": " + jsonDirectories(run.unreadableDirectories) +
        ",\n  \"files\": [";
    for (std::size_t i = 0; i < run.results.size() && i < run.plan.entries.size(); ++i)
        text += std::string(i ? "," : "") + "\n    " + jsonEntry(run, i);
    return text + (run.results.empty() ? "]\n}\n" : "\n  ]\n}\n");
}
