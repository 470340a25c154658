// SPDX-License-Identifier: GPL-3.0-or-later
// One stream in one straight line, as a file: the same steps before its
// text (Prologue: its start, its byte-order mark, its source or its
// refusal), its text converted as it is read, then the opinions that only
// warn. Every failure to read or write comes back here as a FileError and
// leaves as the stream's result.
#include "pipeline/convert_stream.h"

#include "files/file_error.h"
#include "pipeline/cancellation.h"
#include "pipeline/prologue.h"
#include "pipeline/stream_text.h"

namespace velloran {

namespace {

FileResult convertOpened(InputStream &input, ByteSink &output, const StreamOptions &options)
{
    Prologue prologue(input, options);
    if (prologue.source().refused())
        return prologue.source().refusal;
    // Detection that took the start of a longer stream for all of it holds
    // the rest to its rules as the conversion goes (Prologue::privateUse()).
    FileResult result = prologue.concluded(
        convertStreamText(input, prologue.encoding(), prologue.look().mark, prologue.privateUse(),
                          output, options, prologue.utf8Watch()));
    // An encoding the whole text decodes in, as a hint, cannot be known from
    // the start of a longer one: that start decoded in the chosen encoding too.
    if (result.outcome == Outcome::InvalidSource && !prologue.look().sample.wholeFile)
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
