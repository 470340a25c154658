// The plain ICU decoder and encoder, and the choice of the fastest one for a
// converter.
#include "derived_tables.h"
#include "table_codec.h"
#include "text_codec.h"
#include "utf8_codec.h"

namespace velloran {

namespace {

Step stepOf(UErrorCode error)
{
    if (error == U_BUFFER_OVERFLOW_ERROR)
        return Step::TargetFull;
    return U_FAILURE(error) ? Step::Failed : Step::Done;
}

class IcuDecoder : public TextDecoder
{
public:
    explicit IcuDecoder(Converter &converter) : m_converter(converter) {}
    Step decode(const char *&source, const char *end, UChar *&target, UChar *targetEnd,
                bool last) override
    {
        UErrorCode error = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, targetEnd, &source, end, nullptr, last,
                       &error);
        return stepOf(error);
    }

private:
    Converter &m_converter;
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

std::unique_ptr<TextDecoder> makeTextDecoder(Converter &converter)
{
    if (converter.type() == UCNV_UTF8)
        return makeUtf8Decoder(converter);
    if (std::shared_ptr<const DecodeTable> table = decodeTableFor(converter))
        return makeTableDecoder(converter, std::move(table));
    return makeIcuDecoder(converter);
}

std::unique_ptr<TextEncoder> makeTextEncoder(Converter &converter)
{
    if (converter.type() == UCNV_UTF8)
        return makeUtf8Encoder(converter);
    if (std::shared_ptr<const EncodeTable> table = encodeTableFor(converter))
        return makeTableEncoder(converter, std::move(table));
    return makeIcuEncoder(converter);
}

} // namespace velloran
