// SPDX-License-Identifier: GPL-3.0-or-later
// One file, from its first byte to its committed output, in one straight
// line: open it, take the steps of every input before its text (Prologue:
// its start, its byte-order mark, its source or its refusal), convert it,
// then give the opinions that only warn. Every failure of the file system
// comes back here as a FileError and leaves as the file's result.
#include "velloran/convert.h"

#include "codec/converter.h"
#include "files/file_error.h"
#include "files/input_file.h"
#include "files/output_folders.h"
#include "pipeline/cancellation.h"
#include "pipeline/prologue.h"
#include "pipeline/text_conversion.h"

namespace velloran {

namespace {

FileResult convertFrom(InputFile &input, Prologue &prologue, const std::filesystem::path &output,
                       const ConvertOptions &options)
{
    return convertText(input, prologue.encoding(), prologue.look().mark, prologue.privateUse(),
                       output, options, prologue.watch());
}

FileResult convertOpened(InputFile &input, const std::filesystem::path &output,
                         const ConvertOptions &options)
{
    Prologue prologue(input, options);
    if (prologue.source().refused())
        return prologue.source().refusal;
    FileResult result = convertFrom(input, prologue, output, options);
    const bool stopped =
        result.outcome == Outcome::InvalidSource || result.outcome == Outcome::Unrepresentable;
    if (prologue.source().unconfirmed && stopped) {
        const std::string tried = prologue.encoding();
        prologue.confirmSource();
        if (prologue.source().refused())
            return prologue.source().refusal;
        if (prologue.encoding() != tried)
            result = convertFrom(input, prologue, output, options);
    }
    return prologue.concluded(std::move(result));
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
