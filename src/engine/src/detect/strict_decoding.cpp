// Whether a whole text decodes strictly in one encoding into real text: the
// same decoders a conversion uses (fast paths included), with the decoded
// text only checked for private-use characters and then thrown away.
#include "detect/strict_decoding.h"

#include "codec/text_codec.h"
#include "files/input_file.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace velloran {

namespace {

// The private use areas, U+E000 to U+F8FF and planes 15 and 16 (their lead
// surrogates). Big5 and GB18030 map their user-defined byte ranges there, so
// legacy text of the other family or of no family at all often "decodes"
// into them; real text hardly ever uses them.
bool isPrivateUse(UChar unit)
{
    return (unit >= 0xE000 && unit <= 0xF8FF) || (unit >= 0xDB80 && unit <= 0xDBFF);
}

class StrictDecoding
{
public:
    explicit StrictDecoding(std::string_view encoding)
        : m_converter(encoding), m_decoder(makeTextDecoder(m_converter)),
          m_text(new UChar[kTextCapacity])
    {
    }

    // Decodes the next bytes of the text; `last` marks its end, where an
    // incomplete character is an error. False on any error.
    bool feed(std::string_view bytes, bool last)
    {
        const char *source = bytes.data();
        for (;;) {
            UChar *target = m_text.get();
            const Step step = m_decoder->decode(source, bytes.data() + bytes.size(), target,
                                                m_text.get() + kTextCapacity, last);
            if (std::any_of(m_text.get(), target, isPrivateUse))
                return false;
            if (step != Step::TargetFull)
                return step == Step::Done;
        }
    }

private:
    static constexpr std::size_t kTextCapacity = 64 * 1024;

    Converter m_converter;
    std::unique_ptr<TextDecoder> m_decoder;
    std::unique_ptr<UChar[]> m_text;
};

} // namespace

bool decodesStrictly(std::string_view bytes, std::string_view encoding)
{
    return StrictDecoding(encoding).feed(bytes, true);
}

bool startDecodesStrictly(std::string_view bytes, std::string_view encoding)
{
    return StrictDecoding(encoding).feed(bytes, false);
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
    if (m_trustNext) {
        m_trustNext = false;
        m_tookOnTrust = true;
        return true;
    }
    auto [where, added] = m_answers.try_emplace(std::string(encoding), false);
    if (added) {
        where->second = m_sample.wholeFile ? decodesStrictly(m_sample.bytes, encoding)
                        : m_file           ? decodesStrictly(*m_file, encoding)
                                           : startDecodesStrictly(m_sample.bytes, encoding);
    }
    return where->second;
}

} // namespace velloran
