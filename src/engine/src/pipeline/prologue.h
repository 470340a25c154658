// SPDX-License-Identifier: GPL-3.0-or-later
// The steps a file and a stream take before their text is converted, kept
// in one place so that both take the same: the sample of their start, its
// byte-order mark, the whole-file check over them, the source (or the
// refusal), and how the conversion holds the text; then, once it is
// converted, the encoding named and the opinions that only warn.
#pragma once

#include "detect/chinese_reading.h"
#include "detect/utf8_scan.h"
#include "files/input_file.h"
#include "files/streams.h"
#include "pipeline/source_choice.h"
#include "pipeline/source_watch.h"
#include "velloran/convert.h"
#include "velloran/stream.h"

#include <optional>
#include <string>

namespace velloran {

class Prologue
{
public:
    // A file, which a whole-file question may read once more.
    Prologue(InputFile &input, const ConvertOptions &options);
    // A stream, read once: what a file's rules check of the whole file is
    // checked of its start, and no lookalike is refused.
    Prologue(InputStream &input, const StreamOptions &options);
    Prologue(const Prologue &) = delete;
    Prologue &operator=(const Prologue &) = delete;

    const FileLook &look() const { return m_look; }
    const SourceChoice &source() const { return m_source; }
    // The encoding the source reads the text in; only for a source not refused.
    const std::string &encoding() const { return m_source.encoding.value(); }

    // A source detected on trust is held to detection's rules by the
    // conversion itself, as a small file's is by detection: no private use.
    PrivateUse privateUse() const
    {
        return m_source.unconfirmed ? PrivateUse::Refused : PrivateUse::Allowed;
    }
    // The scan the conversion of a stream shows the text to, when the source
    // asks for it (SourceChoice::watchForUtf8); null otherwise.
    Utf8Scan *utf8Watch() { return m_source.watchForUtf8 ? &m_utf8Watch : nullptr; }
    // What the conversion of a file shows its bytes to, afresh: that scan, and
    // the count of how its characters read as Chinese when the source asks
    // for it (SourceChoice::watchChinese), judged at its end (judgeReadings()).
    SourceWatch *watch();

    // For a source detected on trust whose conversion stopped before the
    // end, which has not confirmed it: detection again, with the whole file
    // checked, replaces the choice.
    void confirmSource() { m_source = velloran::confirmSource(m_look, m_wholeFile); }

    // `result`, converted from source(), naming its encoding and with the
    // opinions that only warn.
    [[nodiscard]] FileResult concluded(FileResult result);

private:
    Prologue(const DetectionSample &sample, InputFile *file, const Encoding &chosen,
             bool refuseLookalikes);

    const Encoding &m_chosen;
    const bool m_refuseLookalikes;
    // A stream, whose characters are judged on its start.
    const bool m_stream;
    FileLook m_look;
    WholeFileCheck m_wholeFile;
    SourceChoice m_source;
    Utf8Scan m_utf8Watch{PrivateUse::Refused};
    ChineseReadings m_readings;
    SourceWatch m_watch{nullptr, nullptr, {}};
};

} // namespace velloran
