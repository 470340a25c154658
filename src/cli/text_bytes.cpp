// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_bytes.h"

#include <unicode/utf8.h>

#include <cstdint>
#include <cstdio>

namespace {

// The character at the start of non-empty `bytes` and its length; a negative
// character, and a length of at least 1, where they are not UTF-8.
struct Utf8Step
{
    std::size_t length = 0;
    UChar32 character = 0;
};

Utf8Step firstCharacter(std::string_view bytes)
{
    Utf8Step step;
    U8_NEXT(reinterpret_cast<const std::uint8_t *>(bytes.data()), step.length, bytes.size(),
            step.character);
    return step;
}

// A character that moves the cursor or starts a terminal's escape sequence,
// or one that changes what a reader sees around it: the bidirectional
// marks, embeddings, overrides and isolates reorder the text (a right-to-left
// override shows "exe.txt" as "txt.exe"), and the line and paragraph
// separators break the line.
bool isControl(UChar32 character)
{
    const auto within = [character](UChar32 first, UChar32 last) {
        return character >= first && character <= last;
    };
    return character < 0x20 || within(0x7F, 0x9F) || character == 0x061C ||
           within(0x200E, 0x200F) || within(0x2028, 0x202E) || within(0x2066, 0x2069);
}

void appendEscaped(std::string &out, std::string_view bytes)
{
    for (const char byte : bytes) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X",
                      unsigned(static_cast<unsigned char>(byte)));
        out += escaped;
    }
}

} // namespace

std::size_t utf8SequenceLength(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    const Utf8Step step = firstCharacter(bytes);
    return step.character < 0 ? 0 : step.length;
}

bool isValidUtf8(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t length = utf8SequenceLength(bytes);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::string terminalText(std::string_view bytes)
{
    std::string out;
    while (!bytes.empty()) {
        const Utf8Step step = firstCharacter(bytes);
        const std::string_view sequence = bytes.substr(0, step.length);
        if (step.character == '\\')
            out += "\\\\";
        else if (step.character < 0 || isControl(step.character))
            appendEscaped(out, sequence);
        else
            out += sequence;
        bytes.remove_prefix(step.length);
    }
    return out;
}
