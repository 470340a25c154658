// Detection's strict decoding: like a conversion's, and the text may also
// hold no private-use character, which GB18030 and Big5 give their
// user-defined byte ranges and which therefore mark a wrong guess.
#pragma once

#include "detect/sample.h"

#include <map>
#include <string>
#include <string_view>

namespace velloran {

class InputFile;

// Whether `bytes`, a whole text, decode strictly in `encoding`.
bool decodesStrictly(std::string_view bytes, std::string_view encoding);

// Whether the whole of `input` decodes strictly in `encoding`, read from its
// start. Throws FileError(CannotRead) on a read error.
bool decodesStrictly(InputFile &input, std::string_view encoding);

// Whether `bytes`, the start of a longer text, decode strictly in
// `encoding` as far as they go (the last character may be cut off).
bool startDecodesStrictly(std::string_view bytes, std::string_view encoding);

// Whether the whole file a sample comes from decodes strictly in an
// encoding: from the sample alone when it is the whole file, else by reading
// the file once more from its start. Each encoding is asked about once.
// A stream cannot be read twice: without a file, a sample that is not the
// whole input answers whether it decodes as the start of a text, and the
// conversion checks the rest.
class WholeFileCheck
{
public:
    // `file` may be null when the sample is the whole file, or comes from a
    // stream; both must outlive the check.
    explicit WholeFileCheck(DetectionSample sample, InputFile *file = nullptr)
        : m_sample(sample), m_file(file)
    {
    }

    bool decodes(std::string_view encoding);

    // Answers the next question yes, unless the sample is the whole file,
    // without reading anything: for a guess that the conversion itself then
    // checks, rather than reading a large file twice. A stream's answers
    // come from memory, so it is never trusted blindly.
    void trustNextAnswer() { m_trustNext = !m_sample.wholeFile && m_file != nullptr; }
    // Ends the trust, in case nothing was asked.
    void endTrust() { m_trustNext = false; }
    // Whether an answer was taken on trust.
    bool tookOnTrust() const { return m_tookOnTrust; }

private:
    DetectionSample m_sample;
    InputFile *m_file;
    std::map<std::string, bool, std::less<>> m_answers;
    bool m_trustNext = false;
    bool m_tookOnTrust = false;
};

} // namespace velloran
