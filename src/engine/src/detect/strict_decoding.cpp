// Whether a whole text decodes strictly in one encoding into real text: the
// same decoders a conversion uses (fast paths included), refusing
// private-use characters as the conversion of a detected source does, with
// the decoded text then thrown away.
#include "detect/strict_decoding.h"

#include "codec/text_codec.h"
#include "files/input_file.h"

#include <array>
#include <memory>
#include <vector>

namespace velloran {

namespace {

class StrictDecoding
{
public:
    explicit StrictDecoding(std::string_view encoding)
        : m_converter(encoding), m_decoder(makeTextDecoder(m_converter, PrivateUse::Refused))
    {
    }

    // Decodes the next bytes of the text; `last` marks its end, where an
    // incomplete character is an error. False on any error. `seen`, when
    // given, is shown the decoded text piece by piece.
    bool feed(std::string_view bytes, bool last,
              const std::function<void(std::u16string_view)> &seen = {})
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

private:
    Converter m_converter;
    std::unique_ptr<TextDecoder> m_decoder;
    // Small: detection decodes a few samples of every file, and the text of
    // the wrong encoding fails at its first private-use character, which a
    // larger piece would decode far past.
    std::array<UChar, 512> m_text;
};

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
    constexpr std::size_t kChunkSize = 1 << 20;
    StrictDecoding decoding(encoding);
    InputFile::Reader reader = input.from(0);
    std::vector<char> chunk(kChunkSize);
    for (;;) {
        const std::size_t count = reader.read(chunk.data(), chunk.size());
        if (!decoding.feed(std::string_view(chunk.data(), count), count == 0))
            return false;
        if (count == 0)
            return true;
    }
}

bool WholeFileCheck::decodes(std::string_view encoding)
{
    if (const auto known = m_answers.find(encoding); known != m_answers.end())
        return known->second;
    if (m_trustNext) {
        m_trustNext = false;
        m_tookOnTrust = true;
        return true;
    }
    const bool answer = m_sample.wholeFile || !m_file ? decodesStrictly(m_sample.bytes, encoding)
                                                      : decodesStrictly(*m_file, encoding);
    m_answers.emplace(encoding, answer);
    return answer;
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
