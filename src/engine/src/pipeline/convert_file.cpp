// SPDX-License-Identifier: GPL-3.0-or-later
// One file, from its first byte to its committed output, in one straight
// line: open it and look at its start once, recognise its byte-order mark,
// choose its source (or refuse it), convert it, then give the opinions that
// only warn. Every failure of the file system comes back here as a
// FileError and leaves as the file's result.
#include "velloran/convert.h"

#include "codec/converter.h"
#include "files/file_error.h"
#include "files/input_file.h"
#include "files/output_folders.h"
#include "pipeline/cancellation.h"
#include "pipeline/source_choice.h"
#include "pipeline/text_conversion.h"

namespace velloran {

namespace {

FileResult convertOpened(InputFile &input, const std::filesystem::path &output,
                         const ConvertOptions &options)
{
    const DetectionSample sample = sampleOf(input);
    const FileLook look{sample, findByteOrderMark(sample.bytes)};
    WholeFileCheck wholeFile(sample, &input);
    SourceChoice source = chooseSource(options.source, look, wholeFile, options.refuseLookalikes);
    if (source.refused())
        return source.refusal;

    // A source detected on trust is held to detection's rules by the
    // conversion itself, as a small file's is by detection: no private use.
    // A conversion that stops before the end has not confirmed it.
    const PrivateUse privateUse = source.unconfirmed ? PrivateUse::Refused : PrivateUse::Allowed;
    Utf8Scan utf8Watch(PrivateUse::Refused);
    FileResult result = convertText(input, source.encoding, look.mark, privateUse, output, options,
                                    source.watchForUtf8 ? &utf8Watch : nullptr);
    const bool stopped =
        result.outcome == Outcome::InvalidSource || result.outcome == Outcome::Unrepresentable;
    if (source.unconfirmed && stopped) {
        const SourceChoice confirmed = confirmSource(look, wholeFile);
        if (confirmed.refused())
            return confirmed.refusal;
        if (confirmed.encoding != source.encoding)
            result = convertText(input, confirmed.encoding, look.mark, PrivateUse::Allowed, output,
                                 options);
        source = confirmed;
    }
    result.encoding = source.encoding;
    addSecondOpinion(result, source, options.source, look, wholeFile);
    return result;
}

// In place, a file refused as UTF-8 already is what a UTF-8 target without a
// mark would write back byte for byte: a second run of the same conversion
// leaves it as it is, as it does a file converted to its very bytes.
FileResult leftAsItIs(FileResult result, const ConvertOptions &options)
{
    if (result.outcome == Outcome::AlreadyUtf8 && options.leaveIdenticalAlone &&
        !options.target.writesMark && Converter(options.target).isUtf8())
        return FileResult{.outcome = Outcome::Unchanged, .encoding = options.target.name};
    return result;
}

} // namespace

FileResult convertFile(const std::filesystem::path &input, const std::filesystem::path &output,
                       const ConvertOptions &options)
{
    if (isCancelled(options.cancel))
        return FileResult{.outcome = Outcome::Cancelled};
    try {
        if (options.makeOutputFolders && !options.discardOutput)
            makeFoldersOf(output);
        InputFile opened(input);
        return leftAsItIs(convertOpened(opened, output, options), options);
    } catch (const FileError &error) {
        return FileResult{.outcome = error.outcome(), .message = error.what()};
    }
}

} // namespace velloran
