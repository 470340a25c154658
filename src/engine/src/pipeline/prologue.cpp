// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/prologue.h"

namespace velloran {

Prologue::Prologue(const DetectionSample &sample, InputFile *file, const Encoding &chosen,
                   bool refuseLookalikes)
    : m_chosen(chosen), m_refuseLookalikes(refuseLookalikes),
      m_stream(file == nullptr), m_look{sample, findByteOrderMark(sample.bytes)},
      m_wholeFile(sample, file),
      m_source(chooseSource(chosen, m_look, m_wholeFile, refuseLookalikes))
{
}

SourceWatch *Prologue::watch()
{
    m_utf8Watch.restart();
    m_readings.restart();
    m_watch = SourceWatch(m_source.watchForUtf8 ? &m_utf8Watch : nullptr,
                          m_source.watchChinese ? &m_readings : nullptr, [this] {
                              return judgeReadings(m_source, m_chosen, m_look, m_readings,
                                                   m_wholeFile, m_refuseLookalikes);
                          });
    return &m_watch;
}

Prologue::Prologue(InputFile &input, const ConvertOptions &options)
    : Prologue(sampleOf(input), &input, options.source, options.refuseLookalikes)
{
}

Prologue::Prologue(InputStream &input, const StreamOptions &options)
    : Prologue(sampleOf(input), nullptr, options.source, false)
{
}

FileResult Prologue::concluded(FileResult result)
{
    result.encoding = encoding();
    // A stream cannot be read again: how its characters read is judged on
    // its start, and only warns.
    if (m_stream && result.outcome == Outcome::Converted && !m_chosen.detects())
        (void)judgeReadings(m_source, m_chosen, m_look, chineseReadingsOf(m_look.sample.bytes),
                            m_wholeFile, false);
    if (result.outcome == Outcome::Converted && m_source.warnIfLookalike)
        result.likely = m_source.lookalike.value_or("");
    addSecondOpinion(result, m_chosen, m_look, m_wholeFile);
    return result;
}

} // namespace velloran
