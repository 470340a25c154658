// SPDX-License-Identifier: GPL-3.0-or-later
// What happened to one file: the vocabulary every part of the engine, the
// window and the command line share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velloran {

// What happened to one file.
enum class Outcome
{
    Converted,       // output written completely and moved into place
    Unchanged,       // the output would have replaced the input with its very bytes, so
                     // nothing was written (ConvertOptions::leaveIdenticalAlone)
    CannotRead,      // input missing, not a regular file, or a read error
    CannotWrite,     // output could not be created, written, flushed or renamed
    InvalidSource,   // bytes that are not valid in the source encoding
    Unrepresentable, // a character that the target encoding cannot represent
    Cancelled,       // not converted because the run was cancelled
    // Refused by a run's plan or its guards; nothing is written for these:
    SharedOutput,   // an earlier entry writes the same output path, or this entry's
                    // output would replace a name another listed entry reads through
                    // (FileResult::sameAs names it)
    AlreadyUtf8,    // a legacy source (GB18030, GBK, GB2312, Big5) was chosen, but the
                    // file is valid UTF-8 with characters at U+00A0 and above
    LooksLikeOther, // the output would replace the input, and the file, read from a
                    // legacy Chinese source, confidently looks like the other family
                    // (FileResult::likely); see RunOptions::convertLookalikes
    Undecided,      // the source was "detect" and no encoding could be decided
                    // (FileResult::reason says why)
};

// No entry: the value of FileResult::sameAs when it names none.
inline constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

// Built with designated initialisers, naming only what applies:
// FileResult{.outcome = Outcome::CannotRead, .message = "..."}.
struct FileResult
{
    Outcome outcome = Outcome::Converted;
    // For InvalidSource and Unrepresentable: the 1-based line of the first
    // error, counted in the decoded text (the line ends before it, plus one:
    // a line feed, a carriage return, or the two together end a line). For
    // a stream that stopped where it turned out to be UTF-8 (AlreadyUtf8):
    // that line; 0 when nothing of it was written.
    std::uint64_t line = 0;
    // For Unrepresentable: the first character that cannot be represented.
    char32_t character = 0;
    // For CannotRead and CannotWrite: the system's description, for diagnostics.
    std::string message;
    // The encoding the file was read in, or refused for (AlreadyUtf8): the
    // chosen one as named, the one its byte-order mark names, or the detected
    // one. Empty when the file was not read, and for Undecided.
    std::string encoding;
    // A second opinion (see "Knowing the source" in engine.h). For
    // InvalidSource: an encoding in which the whole file decodes strictly (a
    // hint for the user). For Converted from a legacy Chinese source: the
    // other Chinese family ("GB18030" or "Big5") the file confidently looks
    // like and also decodes in; for LooksLikeOther, that family. Empty
    // otherwise.
    std::string likely;
    // For Undecided: why, such as "too short" or "GB18030 and Big5 both possible".
    std::string reason;
    // For SharedOutput: the entry in the way. For an entry that repeats an
    // earlier entry (the same file into the same place): that entry, whose
    // result this one shares.
    std::size_t sameAs = kNoEntry;
};

} // namespace velloran
