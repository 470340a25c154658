// SPDX-License-Identifier: GPL-3.0-or-later
// The plain ICU decoder and encoder, and the choice of the fastest one for a
// converter.
#include "codec/derived_tables.h"
#include "codec/surrogate_pairing.h"
#include "codec/table_codec.h"
#include "codec/text_codec.h"
#include "codec/utf8_codec.h"

#include <algorithm>

namespace velloran {

namespace {

Step stepOf(UErrorCode error)
{
    if (error == U_BUFFER_OVERFLOW_ERROR)
        return Step::TargetFull;
    return U_FAILURE(error) ? Step::Failed : Step::Done;
}

// For encodings whose ICU decoder lets an unpaired surrogate through (UTF-7),
// such a surrogate fails the text here, whatever the target would do with it.
class IcuDecoder : public TextDecoder
{
public:
    explicit IcuDecoder(Converter &converter)
        : m_converter(converter), m_checkPairs(!converter.rejectsUnpairedSurrogates())
    {
    }
    Step decode(const char *&source, const char *end, UChar *&target, UChar *targetEnd,
                bool last) override
    {
        UChar *const decoded = target;
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, targetEnd, &source, end, nullptr, last, &error);
        const Step step = stepOf(error);
        if (m_checkPairs && step != Step::Failed) {
            if (m_pairing.firstUnpaired(decoded, target) != nullptr)
                return Step::Failed;
            if (last && step == Step::Done && m_pairing.leadLeftOpen())
                return Step::Failed;
        }
        return step;
    }

    bool idle() const override
    {
        UErrorCode error = U_ZERO_ERROR;
        return ucnv_toUCountPending(m_converter.get(), &error) == 0 && !m_pairing.leadLeftOpen();
    }

private:
    Converter &m_converter;
    const bool m_checkPairs;
    SurrogatePairing m_pairing;
};

// The last call flushes, which lets a stateful target (UTF-7) close its final
// sequence.
class IcuEncoder : public TextEncoder
{
public:
    explicit IcuEncoder(Converter &converter) : m_converter(converter) {}
    Step encode(const UChar *&source, const UChar *end, char *&target, char *targetEnd,
                bool last) override
    {
        UErrorCode error = U_ZERO_ERROR;
        ucnv_fromUnicode(m_converter.get(), &target, targetEnd, &source, end, nullptr, last,
                         &error);
        return stepOf(error);
    }

    bool idle() const override
    {
        UErrorCode error = U_ZERO_ERROR;
        return ucnv_fromUCountPending(m_converter.get(), &error) == 0;
    }

private:
    Converter &m_converter;
};

} // namespace

std::unique_ptr<TextDecoder> makeIcuDecoder(Converter &converter)
{
    return std::make_unique<IcuDecoder>(converter);
}

std::unique_ptr<TextEncoder> makeIcuEncoder(Converter &converter)
{
    return std::make_unique<IcuEncoder>(converter);
}

namespace {

std::unique_ptr<TextDecoder> fastestDecoder(Converter &converter)
{
    if (converter.isUtf8())
        return makeUtf8Decoder(converter);
    if (std::shared_ptr<const DecodeTable> table = decodeTableFor(converter))
        return makeTableDecoder(converter, std::move(table));
    return makeIcuDecoder(converter);
}

// Another decoder, failing once the text it decoded holds a private-use character.
class PrivateUseRefusal : public TextDecoder
{
public:
    explicit PrivateUseRefusal(std::unique_ptr<TextDecoder> decoder) : m_decoder(std::move(decoder))
    {
    }

    Step decode(const char *&source, const char *end, UChar *&target, UChar *targetEnd,
                bool last) override
    {
        UChar *const decoded = target;
        const Step step = m_decoder->decode(source, end, target, targetEnd, last);
        return std::any_of(decoded, target, isPrivateUse) ? Step::Failed : step;
    }

    bool idle() const override { return m_decoder->idle(); }

private:
    std::unique_ptr<TextDecoder> m_decoder;
};

} // namespace

std::unique_ptr<TextDecoder> makeTextDecoder(Converter &converter, PrivateUse privateUse)
{
    std::unique_ptr<TextDecoder> decoder = fastestDecoder(converter);
    if (privateUse == PrivateUse::Refused)
        return std::make_unique<PrivateUseRefusal>(std::move(decoder));
    return decoder;
}

std::unique_ptr<TextEncoder> makeTextEncoder(Converter &converter)
{
    if (converter.isUtf8())
        return makeUtf8Encoder(converter);
    if (std::shared_ptr<const EncodeTable> table = encodeTableFor(converter))
        return makeTableEncoder(converter, std::move(table));
    return makeIcuEncoder(converter);
}

} // namespace velloran
