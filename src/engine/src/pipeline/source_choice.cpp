// SPDX-License-Identifier: GPL-3.0-or-later
// Detection and the guards that refuse a file before it is converted. They
// share one sample of the file (its start; all of a small file), so a small
// file is checked from memory, and a large one is read again only when a
// check truly needs all of it: most files pay for a look at their first bytes.
#include "pipeline/source_choice.h"

#include "detect/chinese_families.h"
#include "detect/detector.h"
#include "detect/utf8_scan.h"

namespace velloran {

namespace {

SourceChoice refused(FileResult refusal)
{
    return SourceChoice{.refusal = std::move(refusal)};
}

bool isChineseFamily(std::string_view encoding)
{
    return encoding == "GB18030" || encoding == "Big5";
}

SourceChoice detected(const Detection &detection, bool unconfirmed, const FileLook &look)
{
    if (!detection.encoding)
        return refused({.outcome = Outcome::Undecided, .reason = detection.reason});
    return SourceChoice{.encoding = detection.encoding,
                        .unconfirmed = unconfirmed,
                        .watchChinese =
                            !look.sample.wholeFile && isChineseFamily(*detection.encoding)};
}

// Detection asks whether the whole file decodes in its answer, once; for a
// file larger than its sample, that would read it all before the conversion
// reads it again. So the answer is taken on trust, and the conversion is the
// check (see confirmSource()).
SourceChoice chooseDetected(const FileLook &look, WholeFileCheck &wholeFile)
{
    const Detection detection =
        detectInSample(look.sample, look.mark, wholeFile, WholeFileAnswer::Trusted);
    return detected(detection, wholeFile.tookOnTrust(), look);
}

// A byte-order mark decides the encoding whatever was chosen, so the guards
// leave such a file alone. A file that is UTF-8 text (valid, with a
// character from U+00A0 up: every Han character, a no-break space, an
// accented letter) is refused: from its start when that is all of it, or
// when its start is such text and the rest decodes too; otherwise, when its
// start is UTF-8 so far, the conversion tells.
SourceChoice chooseGiven(const Encoding &source, const FileLook &look, WholeFileCheck &wholeFile,
                         bool refuseLookalikes)
{
    if (look.mark || source.family.empty())
        return SourceChoice{.encoding = look.mark ? look.mark->encoding : source.name};
    Utf8Scan start(PrivateUse::Refused);
    start.seen(look.sample.bytes);
    if (look.sample.wholeFile)
        start.finish();
    if (start.isText() && (look.sample.wholeFile || wholeFile.decodes("UTF-8")))
        return refused({.outcome = Outcome::AlreadyUtf8, .encoding = source.name});
    return SourceChoice{.encoding = source.name,
                        .warnIfLookalike = !refuseLookalikes,
                        .watchForUtf8 = !look.sample.wholeFile && start.valid() && !start.isText(),
                        .watchChinese = true};
}

} // namespace

SourceChoice chooseSource(const Encoding &source, const FileLook &look, WholeFileCheck &wholeFile,
                          bool refuseLookalikes)
{
    return source.detects() ? chooseDetected(look, wholeFile)
                            : chooseGiven(source, look, wholeFile, refuseLookalikes);
}

std::optional<FileResult> judgeReadings(SourceChoice &source, const Encoding &chosen,
                                        const FileLook &look, const ChineseReadings &readings,
                                        WholeFileCheck &wholeFile, bool refuseLookalikes)
{
    if (!source.watchChinese)
        return std::nullopt;
    if (chosen.detects()) {
        if (readsAsChinese(readings, *source.encoding))
            return std::nullopt;
        return FileResult{.outcome = Outcome::Undecided, .reason = "does not read as Chinese"};
    }
    source.lookalike = lookalikeOf(look.sample, chosen.family, readings, wholeFile);
    if (refuseLookalikes && source.lookalike)
        return FileResult{.outcome = Outcome::LooksLikeOther,
                          .encoding = chosen.name,
                          .likely = *source.lookalike};
    return std::nullopt;
}

SourceChoice confirmSource(const FileLook &look, WholeFileCheck &wholeFile)
{
    return detected(detectInSample(look.sample, look.mark, wholeFile), false, look);
}

void addSecondOpinion(FileResult &result, const Encoding &chosen, const FileLook &look,
                      WholeFileCheck &wholeFile)
{
    // A file read in what its mark or detection chose would only be told
    // that choice again: no hint, and no second look at the file.
    if (result.outcome == Outcome::InvalidSource && !look.mark && !chosen.detects()) {
        const std::optional<std::string> likely = likelyEncoding(look.sample, look.mark, wholeFile);
        result.likely = likely && *likely != result.encoding ? *likely : std::string();
    }
}

} // namespace velloran
