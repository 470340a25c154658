// Whether a whole text decodes strictly in one encoding: the same decoders a
// conversion uses (fast paths included), with the decoded text thrown away.
#include "detector.h"

#include "input_file.h"
#include "text_codec.h"

#include <memory>
#include <vector>

namespace velloran {

namespace {

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
            const Step step =
                m_decoder->decode(source, bytes.data() + bytes.size(), target,
                                  m_text.get() + kTextCapacity, last);
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

// Puts the next read back at the start of the file, however the check ends.
class RewindOnExit
{
public:
    explicit RewindOnExit(InputFile &input) : m_input(input) { m_input.seek(0); }
    ~RewindOnExit()
    {
        try {
            m_input.seek(0);
        } catch (...) {
            // The next read reports the file's trouble.
        }
    }
    RewindOnExit(const RewindOnExit &) = delete;
    RewindOnExit &operator=(const RewindOnExit &) = delete;

private:
    InputFile &m_input;
};

} // namespace

bool decodesStrictly(std::string_view bytes, std::string_view encoding)
{
    return StrictDecoding(encoding).feed(bytes, true);
}

bool decodesStrictly(InputFile &input, std::string_view encoding)
{
    constexpr std::size_t kChunkSize = 1 << 20;
    StrictDecoding decoding(encoding);
    RewindOnExit rewind(input);
    std::vector<char> chunk(kChunkSize);
    for (;;) {
        const std::size_t count = input.read(chunk.data(), chunk.size());
        if (!decoding.feed(std::string_view(chunk.data(), count), count == 0))
            return false;
        if (count == 0)
            return true;
    }
}

} // namespace velloran
