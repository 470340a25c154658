// SPDX-License-Identifier: GPL-3.0-or-later
// Detection's strict decoding: like a conversion's, and the text may also
// hold no private-use character, which GB18030 and Big5 give their
// user-defined byte ranges and which therefore mark a wrong guess.
#pragma once

#include "detect/sample.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace velloran {

class InputFile;

// Whether `bytes`, a whole text, decode strictly in `encoding`.
[[nodiscard]] bool decodesStrictly(std::string_view bytes, std::string_view encoding);

// Whether a sample decodes strictly in `encoding` as far as it goes (a
// character its end cuts is no error when the file goes on); `seen` is
// shown the decoded text piece by piece.
[[nodiscard]] bool decodesStrictly(const DetectionSample &sample, std::string_view encoding,
                                   const std::function<void(std::u16string_view text)> &seen);

// Whether the whole of `input` decodes strictly in `encoding`, read from its
// start. Throws FileError(CannotRead) on a read error.
[[nodiscard]] bool decodesStrictly(InputFile &input, std::string_view encoding);

// How a question about the whole of a file is answered.
enum class WholeFileAnswer
{
    // By decoding it: from the sample when that is the whole file, else by
    // reading the file once more.
    Checked,
    // A file's question whose answer is not known yet is answered yes
    // without decoding anything: for a guess that the conversion itself then
    // checks, rather than decoding the file twice (and reading a large one
    // twice). A stream's question is never answered so: a stream cannot be
    // read again should the guess be wrong.
    Trusted,
};

// Whether the whole file a sample comes from decodes strictly in an
// encoding: from the sample alone when it is the whole file, else by reading
// the file once more from its start. And, for what the sample alone can
// tell, whether the sample does. Each encoding is asked about once.
// A stream cannot be read twice: without a file, a sample that is not the
// whole input answers as the sample does, a yes taken on trust for the
// conversion to check the rest.
class WholeFileCheck
{
public:
    // `file` may be null when the sample is the whole file, or comes from a
    // stream; both must outlive the check.
    explicit WholeFileCheck(DetectionSample sample, InputFile *file = nullptr)
        : m_sample(sample), m_file(file)
    {
    }

    // Asked `how`: Trusted answers a question about a file not yet answered
    // yes, without decoding anything (see WholeFileAnswer).
    [[nodiscard]] bool decodes(std::string_view encoding,
                               WholeFileAnswer how = WholeFileAnswer::Checked);
    // For a sample that is not the whole file: the file read once more from
    // its start, shown chunk by chunk until `seen` returns false. Nothing for
    // a sample that is the whole file, or that comes from a stream. Whether
    // it read the file to its end. Throws FileError(CannotRead).
    bool readWholeFile(const std::function<bool(std::string_view chunk)> &seen);
    // For a file whose start is ASCII: its part from `offset` on, as much
    // as a sample holds, from which the questions about the sample are
    // answered from then on (the ASCII before it reads the same in every
    // encoding they ask about). Throws FileError(CannotRead).
    DetectionSample lookFrom(std::uint64_t offset);
    // Whether the sample decodes strictly in `encoding` as far as it goes:
    // decodes() for a sample that is the whole file. A file whose sample
    // does not decode does not either.
    [[nodiscard]] bool sampleDecodes(std::string_view encoding);

    // Whether a yes was taken on trust so far: without decoding (Trusted),
    // or from the start of a stream.
    [[nodiscard]] bool tookOnTrust() const { return m_tookOnTrust; }

private:
    DetectionSample m_sample;
    InputFile *m_file;
    std::string m_laterPart; // what lookFrom() read
    std::map<std::string, bool, std::less<>> m_answers;
    std::map<std::string, bool, std::less<>> m_sampleAnswers;
    bool m_tookOnTrust = false;
};

} // namespace velloran
