// SPDX-License-Identifier: GPL-3.0-or-later
// The encoding one file is read in: the user's choice, which the guards may
// refuse for a file that is plainly in another, or the detected one for
// "detect", which may stay undecided.
#pragma once

#include "codec/byte_order_marks.h"
#include "detect/chinese_reading.h"
#include "detect/sample.h"
#include "detect/strict_decoding.h"
#include "velloran/encoding.h"
#include "velloran/result.h"

#include <optional>
#include <string>

namespace velloran {

// What a file's start says before it is converted.
struct FileLook
{
    DetectionSample sample;
    std::optional<ByteOrderMark> mark;
};

struct SourceChoice
{
    // The encoding to read the file in, as results name it; none when the
    // file is refused.
    std::optional<std::string> encoding;
    // Why the file is not converted (AlreadyUtf8, Undecided), when it is not.
    FileResult refusal;
    // A legacy Chinese source chosen by the user, for a file without a mark,
    // whose output goes elsewhere: a file that looks like another encoding
    // (lookalike) is converted with a warning, not refused.
    bool warnIfLookalike = false;
    // Detected on trust, the whole file unchecked: the conversion holds the
    // text to detection's rules (no private-use character), and one that
    // stops before the end asks confirmSource() whether detection stands.
    bool unconfirmed = false;
    // Guarded, and the file starts like UTF-8 but only with ASCII so far:
    // whether it is UTF-8 text is known only at its end, so the conversion
    // watches for it.
    bool watchForUtf8 = false;
    // What the file looks like instead of the chosen legacy source (see
    // lookalikeOf()), once its conversion is complete; none when nothing.
    std::optional<std::string> lookalike;
    // A legacy Chinese source named for a file without a mark, or detected
    // for a file larger than its sample: the conversion counts how its
    // characters read as Chinese, and judgeReadings() tells at the end.
    bool watchChinese = false;

    bool refused() const { return !encoding; }
};

// The source of a file that looks like `look`, converted from `source`. With
// `refuseLookalikes`, a file that looks like the other Chinese family than a
// legacy source's is refused (LooksLikeOther).
SourceChoice chooseSource(const Encoding &source, const FileLook &look, WholeFileCheck &wholeFile,
                          bool refuseLookalikes);

// At the end of a complete conversion of a file whose choice watches how it
// reads as Chinese (`readings`, all of it): the refusal, when the detected
// family does not read as Chinese (Undecided), or when the file looks like
// another encoding than the chosen one (LooksLikeOther, with
// `refuseLookalikes`); nothing when the choice stands, whose lookalike is
// then known.
std::optional<FileResult> judgeReadings(SourceChoice &source, const Encoding &chosen,
                                        const FileLook &look, const ChineseReadings &readings,
                                        WholeFileCheck &wholeFile, bool refuseLookalikes);

// For an unconfirmed choice whose conversion stopped before the end:
// detection again, with the whole file checked.
SourceChoice confirmSource(const FileLook &look, WholeFileCheck &wholeFile);

// The opinion that only warns of a file that failed to decode; `result`
// already names the encoding it was read in.
void addSecondOpinion(FileResult &result, const Encoding &chosen, const FileLook &look,
                      WholeFileCheck &wholeFile);

} // namespace velloran
