// Detection and the guards that refuse a file before it is converted. They
// share one sample of the file (its start; all of a small file), so a small
// file is checked from memory, and a large one is read again only when a
// check truly needs all of it: most files pay for a look at their first bytes.
#include "pipeline/source_choice.h"

#include "detect/detect_text_rules.h"
#include "detect/detector.h"

namespace velloran {

namespace {

SourceChoice refused(Outcome outcome, std::string encoding, std::string reason = {})
{
    return SourceChoice{
        .refusal = FileResult{
            .outcome = outcome, .encoding = std::move(encoding), .reason = std::move(reason)}};
}

SourceChoice detected(const Detection &detection, bool unconfirmed)
{
    if (detection.encoding.empty())
        return refused(Outcome::Undecided, {}, detection.reason);
    return SourceChoice{.encoding = detection.encoding, .unconfirmed = unconfirmed};
}

// Valid UTF-8 with wide characters in the sample, and valid UTF-8 to its end.
bool isAlreadyUtf8(const DetectionSample &sample, WholeFileCheck &wholeFile)
{
    return isUtf8WithWideCharacters(sample) && wholeFile.decodes("UTF-8");
}

// Detection asks whether the whole file decodes in its answer, once; for a
// file larger than its sample, that would read it all before the conversion
// reads it again. So the answer is taken on trust, and the conversion is the
// check (see confirmSource()).
SourceChoice chooseDetected(const FileLook &look, WholeFileCheck &wholeFile)
{
    wholeFile.trustNextAnswer();
    const Detection detection = detectInSample(look.sample, look.mark, wholeFile);
    wholeFile.endTrust();
    return detected(detection, wholeFile.tookOnTrust());
}

// A byte-order mark decides the encoding whatever was chosen, so the guards
// leave such a file alone.
SourceChoice chooseGiven(const Encoding &source, const FileLook &look, WholeFileCheck &wholeFile)
{
    const bool guarded = !look.mark && !source.family.empty();
    if (guarded && isAlreadyUtf8(look.sample, wholeFile))
        return refused(Outcome::AlreadyUtf8, source.name);
    return SourceChoice{.encoding = look.mark ? look.mark->encoding : source.name,
                        .guarded = guarded};
}

} // namespace

SourceChoice chooseSource(const Encoding &source, const FileLook &look, WholeFileCheck &wholeFile)
{
    return source.detects() ? chooseDetected(look, wholeFile)
                            : chooseGiven(source, look, wholeFile);
}

SourceChoice confirmSource(const FileLook &look, WholeFileCheck &wholeFile)
{
    return detected(detectInSample(look.sample, look.mark, wholeFile), false);
}

} // namespace velloran
