// Detection and the guards around one file's conversion. They share one
// sample of the file (its start; all of a small file), so a small file is
// checked from memory, and a large one is read again only when a check truly
// needs all of it: most files pay for a look at their first bytes.
#include "pipeline/source_choice.h"

#include "detect/detect_text_rules.h"
#include "detect/detector.h"
#include "files/input_file.h"

namespace velloran {

SourceChoice::SourceChoice(std::string_view name) : m_name(name)
{
    if (name == kDetectEncoding)
        return;
    m_chosen.emplace(name);
    m_family = chineseFamilyOf(name);
}

namespace {

FileResult refused(Outcome outcome, std::string encoding, std::string reason = {})
{
    FileResult result;
    result.outcome = outcome;
    result.encoding = std::move(encoding);
    result.reason = std::move(reason);
    return result;
}

// Converts the file from its start with `source`, named `encoding` in the result.
FileResult convertFromStart(InputFile &input, Converter source, std::string encoding,
                            const ConvertFrom &convert)
{
    input.seek(0);
    FileResult result = convert(std::move(source));
    result.encoding = std::move(encoding);
    return result;
}

// Valid UTF-8 with wide characters in the sample, and valid UTF-8 to its end.
bool isAlreadyUtf8(InputFile &input, const DetectionSample &sample)
{
    return isUtf8WithWideCharacters(sample) &&
           (sample.wholeFile || decodesStrictly(input, "UTF-8"));
}

// For "detect". Detection wants to know whether the whole file decodes in
// the family it leans to; for a file larger than its sample, that would read
// it all once before the conversion reads it again. So the first family it
// asks about is taken on trust, and the conversion is the check: when it
// fails (or detection stays undecided on that trust), detection is asked
// again with the file really checked.
FileResult convertDetected(InputFile &input, const DetectionSample &sample,
                           const ConvertFrom &convert)
{
    const WholeFileCheck strict = wholeFileCheckFor(input, sample);
    bool trusted = false;
    const WholeFileCheck trustFirst = [&](std::string_view encoding) {
        if (sample.wholeFile || trusted)
            return strict(encoding);
        trusted = true;
        return true;
    };
    Detection detection = detectInSample(sample, trustFirst);
    if (trusted && detection.encoding.empty())
        detection = detectInSample(sample, strict);
    if (detection.encoding.empty())
        return refused(Outcome::Undecided, {}, detection.reason);
    FileResult result =
        convertFromStart(input, Converter(detection.encoding), detection.encoding, convert);
    if (!trusted || result.outcome != Outcome::InvalidSource)
        return result;
    const Detection checked = detectInSample(sample, strict);
    if (checked.encoding.empty())
        return refused(Outcome::Undecided, {}, checked.reason);
    if (checked.encoding == detection.encoding)
        return result;
    return convertFromStart(input, Converter(checked.encoding), checked.encoding, convert);
}

// For a chosen encoding. A byte-order mark decides the encoding whatever was
// chosen, so the guards leave such a file alone.
FileResult convertChosen(InputFile &input, const SourceChoice &source,
                         const DetectionSample &sample, const ConvertFrom &convert)
{
    const std::optional<std::string> marked = encodingOfMark(sample.bytes);
    const bool guarded = !marked && !source.family().empty();
    if (guarded && isAlreadyUtf8(input, sample))
        return refused(Outcome::AlreadyUtf8, source.name());
    FileResult result =
        convertFromStart(input, source.converter(), marked.value_or(source.name()), convert);
    if (guarded && result.outcome == Outcome::Converted)
        result.likely =
            otherChineseFamily(sample, source.family(), wholeFileCheckFor(input, sample));
    return result;
}

} // namespace

FileResult convertFromSource(InputFile &input, const SourceChoice &source,
                             const ConvertFrom &convert)
{
    bool wholeFile = true;
    const std::string bytes = readDetectionSample(input, wholeFile);
    const DetectionSample sample{bytes, wholeFile};
    FileResult result = source.detects() ? convertDetected(input, sample, convert)
                                         : convertChosen(input, source, sample, convert);
    if (result.outcome == Outcome::InvalidSource) {
        result.likely = likelyEncoding(sample, wholeFileCheckFor(input, sample));
        if (result.likely == result.encoding)
            result.likely.clear();
    }
    return result;
}

} // namespace velloran
