// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a whole text decodes strictly in one encoding into real text: the
// same decoders a conversion uses (fast paths included), refusing
// private-use characters as the conversion of a detected source does, with
// the decoded text then thrown away.
#include "detect/strict_decoding.h"

#include "codec/text_codec.h"
#include "files/input_file.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace velloran {

namespace {

// How much of a file a whole-file check reads at a time.
constexpr std::size_t kChunkSize = 1 << 20;

class StrictDecoding
{
public:
    explicit StrictDecoding(std::string_view encoding)
        : m_converter(encoding), m_decoder(makeTextDecoder(m_converter, PrivateUse::Refused))
    {
    }

    // Decodes the next bytes of the text; `last` marks its end, where an
    // incomplete character is an error. False on any error. `seen`, when
    // given, is shown the decoded text piece by piece. The bytes go in
    // slices that double in size: the decoder looks for private use once a
    // call is done, text in the wrong encoding mostly fails within its first
    // characters, and text in the right one soon goes in large slices.
    bool feed(std::string_view bytes, bool last,
              const std::function<void(std::u16string_view)> &seen = {})
    {
        do {
            const std::string_view slice = bytes.substr(0, m_slice);
            bytes.remove_prefix(slice.size());
            m_slice = std::min(2 * m_slice, kLargestSlice);
            if (!decode(slice, last && bytes.empty(), seen))
                return false;
        } while (!bytes.empty());
        return true;
    }

private:
    bool decode(std::string_view bytes, bool last,
                const std::function<void(std::u16string_view)> &seen)
    {
        const char *source = bytes.data();
        for (;;) {
            UChar *target = m_text.data();
            const Step step = m_decoder->decode(source, bytes.data() + bytes.size(), target,
                                                m_text.data() + m_text.size(), last);
            if (step == Step::Failed)
                return false;
            if (seen)
                seen(std::u16string_view(m_text.data(),
                                         static_cast<std::size_t>(target - m_text.data())));
            if (step == Step::Done)
                return true;
        }
    }

    static constexpr std::size_t kLargestSlice = 64 * 1024;

    Converter m_converter;
    std::unique_ptr<TextDecoder> m_decoder;
    std::size_t m_slice = 64;
    std::array<UChar, 1024> m_text;
};

// Shows `seen` the whole of `input` chunk by chunk, from its start, until it
// returns false; whether the end was reached.
bool readInChunks(InputFile &input, const std::function<bool(std::string_view chunk)> &seen)
{
    InputFile::Reader reader = input.from(0);
    std::vector<char> chunk(kChunkSize);
    for (std::size_t count; (count = reader.read(chunk.data(), chunk.size())) != 0;)
        if (!seen(std::string_view(chunk.data(), count)))
            return false;
    return true;
}

} // namespace

bool decodesStrictly(std::string_view bytes, std::string_view encoding)
{
    return StrictDecoding(encoding).feed(bytes, true);
}

bool decodesStrictly(const DetectionSample &sample, std::string_view encoding,
                     const std::function<void(std::u16string_view text)> &seen)
{
    return StrictDecoding(encoding).feed(sample.bytes, sample.wholeFile, seen);
}

bool decodesStrictly(InputFile &input, std::string_view encoding)
{
    StrictDecoding decoding(encoding);
    return readInChunks(input,
                        [&](std::string_view chunk) { return decoding.feed(chunk, false); }) &&
           decoding.feed({}, true);
}

bool WholeFileCheck::decodes(std::string_view encoding, WholeFileAnswer how)
{
    if (const auto known = m_answers.find(encoding); known != m_answers.end())
        return known->second;
    if (how == WholeFileAnswer::Trusted && m_file) {
        m_tookOnTrust = true;
        return true;
    }
    if (m_sample.wholeFile)
        return sampleDecodes(encoding);
    // A stream cannot be read twice: for a sample that is not the whole
    // input, the answer is whether the sample decodes, and a yes is taken
    // on trust, for the conversion to check the rest.
    if (!m_file) {
        const bool answer = sampleDecodes(encoding);
        m_tookOnTrust = m_tookOnTrust || answer;
        return answer;
    }
    const bool answer = decodesStrictly(*m_file, encoding);
    m_answers.emplace(encoding, answer);
    return answer;
}

bool WholeFileCheck::readWholeFile(const std::function<bool(std::string_view chunk)> &seen)
{
    return !m_sample.wholeFile && m_file && readInChunks(*m_file, seen);
}

DetectionSample WholeFileCheck::lookFrom(std::uint64_t offset)
{
    m_laterPart.assign(kDetectionSampleSize + 1, '\0');
    InputFile::Reader reader = m_file->from(offset);
    std::size_t filled = 0;
    for (std::size_t count = 1; count != 0 && filled < m_laterPart.size(); filled += count)
        count = reader.read(m_laterPart.data() + filled, m_laterPart.size() - filled);
    m_laterPart.resize(filled);
    m_sample = {std::string_view(m_laterPart).substr(0, kDetectionSampleSize),
                filled <= kDetectionSampleSize};
    m_sampleAnswers.clear();
    return m_sample;
}

bool WholeFileCheck::sampleDecodes(std::string_view encoding)
{
    // For a sample that is the whole file, the answer is the file's too.
    auto &answers = m_sample.wholeFile ? m_answers : m_sampleAnswers;
    auto [where, added] = answers.try_emplace(std::string(encoding), false);
    if (added)
        where->second = StrictDecoding(encoding).feed(m_sample.bytes, m_sample.wholeFile);
    return where->second;
}

} // namespace velloran
