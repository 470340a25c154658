// SPDX-License-Identifier: GPL-3.0-or-later
// The plain ICU decoder and encoder, and the choice of the fastest one for a
// converter.
#include "codec/derived_tables.h"
#include "codec/refused_units.h"
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

// Another decoder, failing once the text it decoded holds a refused unit.
class UnitRefusal : public TextDecoder
{
public:
    UnitRefusal(std::unique_ptr<TextDecoder> decoder, const RefusedUnits &refused)
        : m_decoder(std::move(decoder)), m_refused(refused)
    {
    }

    Step decode(const char *&source, const char *end, UChar *&target, UChar *targetEnd,
                bool last) override
    {
        UChar *const decoded = target;
        const Step step = m_decoder->decode(source, end, target, targetEnd, last);
        return std::any_of(decoded, target, [this](UChar unit) { return m_refused.refuses(unit); })
                   ? Step::Failed
                   : step;
    }

    bool idle() const override { return m_decoder->idle(); }

private:
    std::unique_ptr<TextDecoder> m_decoder;
    RefusedUnits m_refused;
};

// `decoder`, failing at what the source refuses (see RefusedUnits).
std::unique_ptr<TextDecoder> withRefusals(std::unique_ptr<TextDecoder> decoder,
                                          const Converter &converter, PrivateUse privateUse)
{
    if (const RefusedUnits refused(converter, privateUse); refused.any())
        return std::make_unique<UnitRefusal>(std::move(decoder), refused);
    return decoder;
}

} // namespace

// What ICU's decoder reads a lone byte as, and no other decoder, the engine
// refuses with every decoder.
std::unique_ptr<TextDecoder> makeIcuDecoder(Converter &converter)
{
    return withRefusals(std::make_unique<IcuDecoder>(converter), converter, PrivateUse::Allowed);
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
    return std::make_unique<IcuDecoder>(converter);
}

} // namespace

std::unique_ptr<TextDecoder> makeTextDecoder(Converter &converter, PrivateUse privateUse)
{
    return withRefusals(fastestDecoder(converter), converter, privateUse);
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
