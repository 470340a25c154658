// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/prologue.h"

namespace velloran {

Prologue::Prologue(const DetectionSample &sample, InputFile *file, const Encoding &chosen,
                   bool refuseLookalikes)
    : m_chosen(chosen), m_look{sample, findByteOrderMark(sample.bytes)}, m_wholeFile(sample, file),
      m_source(chooseSource(chosen, m_look, m_wholeFile, refuseLookalikes))
{
}

Prologue::Prologue(InputFile &input, const ConvertOptions &options)
    : Prologue(sampleOf(input), &input, options.source, options.refuseLookalikes)
{
}

Prologue::Prologue(InputStream &input, const StreamOptions &options)
    : Prologue(sampleOf(input), nullptr, options.source, false)
{
}

void Prologue::askBeforeCommit()
{
    m_lookalike = lookalikeWarning(m_source, m_chosen, m_look, m_wholeFile);
    m_lookalikeAsked = true;
}

FileResult Prologue::concluded(FileResult result)
{
    result.encoding = encoding();
    if (result.outcome == Outcome::Converted) {
        if (!m_lookalikeAsked) // a stream, which commits nothing
            askBeforeCommit();
        result.likely = m_lookalike.value_or("");
    }
    addSecondOpinion(result, m_chosen, m_look, m_wholeFile);
    return result;
}

} // namespace velloran
