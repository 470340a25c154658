// SPDX-License-Identifier: GPL-3.0-or-later
// One stream in one straight line, as a file: look at its start once,
// recognise its byte-order mark, choose its source (or refuse it), convert
// its text as it is read, then give the opinions that only warn. Every
// failure to read or write comes back here as a FileError and leaves as the
// stream's result.
#include "pipeline/convert_stream.h"

#include "files/file_error.h"
#include "pipeline/source_choice.h"
#include "pipeline/stream_converter.h"
#include "pipeline/stream_text.h"

namespace velloran {

namespace {

FileResult convertOpened(InputStream &input, ByteSink &output, const StreamOptions &options)
{
    const DetectionSample sample = sampleOf(input);
    const FileLook look{sample, findByteOrderMark(sample.bytes)};
    WholeFileCheck wholeFile(sample);
    const SourceChoice source = chooseSource(options.source, look, wholeFile, false);
    if (source.refused())
        return source.refusal;

    // Detection that took the start of a longer stream for all of it holds
    // the rest to its rules as the conversion goes (no private-use character).
    const PrivateUse privateUse = source.unconfirmed ? PrivateUse::Refused : PrivateUse::Allowed;
    Utf8Scan utf8Watch(PrivateUse::Refused);
    FileResult result = convertStreamText(input, source.encoding, look.mark, privateUse, output,
                                          options, source.watchForUtf8 ? &utf8Watch : nullptr);
    result.encoding = source.encoding;
    if (result.outcome == Outcome::Converted)
        result.likely = lookalikeWarning(source, options.source, look, wholeFile);
    addSecondOpinion(result, options.source, look, wholeFile);
    // An encoding the whole text decodes in, as a hint, cannot be known from
    // the start of a longer one: that start decoded in the chosen encoding too.
    if (result.outcome == Outcome::InvalidSource && !sample.wholeFile)
        result.likely.clear();
    return result;
}

// A descriptor as the place where converted bytes go.
class DescriptorSink : public ByteSink
{
public:
    explicit DescriptorSink(int fd) : m_output(fd) {}
    void write(const char *bytes, std::size_t count) override { m_output.write(bytes, count); }

private:
    DescriptorOutput m_output;
};

} // namespace

FileResult convertStream(StreamSource &input, ByteSink &output, const StreamOptions &options)
{
    if (isCancelled(options.cancel))
        return FileResult{.outcome = Outcome::Cancelled};
    try {
        InputStream stream(input);
        return convertOpened(stream, output, options);
    } catch (const FileError &error) {
        return FileResult{.outcome = error.outcome(), .message = error.what()};
    }
}

FileResult convertStream(int input, int output, const StreamOptions &options)
{
    DescriptorSource source(input);
    DescriptorSink sink(output);
    return convertStream(source, sink, options);
}

} // namespace velloran
