#include "direct_path.h"

#include "derived_tables.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <type_traits>
#include <variant>

namespace velloran {

namespace {

// Readers take one whole character from `in` or leave it alone and say no.

// The tables stay owned by the DirectPath.
struct TableReader
{
    DecodeTable::Reader table;

    bool read(const Byte *&in, const Byte *end, UChar32 &c) const
    {
        UChar unit = 0;
        if (!table.read(in, end, unit))
            return false;
        c = unit;
        return true;
    }
};

// ICU's own rules for well-formed UTF-8 (no surrogates, no overlong forms).
struct Utf8Reader
{
    bool read(const Byte *&in, const Byte *end, UChar32 &c) const
    {
        if (*in < 0x80) {
            c = *in++;
            return true;
        }
        const auto length = static_cast<int32_t>(std::min<std::ptrdiff_t>(end - in, 4));
        int32_t i = 0;
        U8_NEXT(in, i, length, c);
        if (c < 0)
            return false;
        in += i;
        return true;
    }
};

template <bool bigEndian>
UChar unitAt(const Byte *p)
{
    return static_cast<UChar>(bigEndian ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
}

template <bool bigEndian>
void putUnit(UChar unit, char *&out)
{
    *out++ = static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
    *out++ = static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
}

// A surrogate is taken only as part of a pair.
template <bool bigEndian>
struct Utf16Reader
{
    bool read(const Byte *&in, const Byte *end, UChar32 &c) const
    {
        if (end - in < 2)
            return false;
        const UChar lead = unitAt<bigEndian>(in);
        if (!U16_IS_SURROGATE(lead)) {
            c = lead;
            in += 2;
            return true;
        }
        if (!U16_IS_SURROGATE_LEAD(lead) || end - in < 4)
            return false;
        const UChar trail = unitAt<bigEndian>(in + 2);
        if (!U16_IS_TRAIL(trail))
            return false;
        c = U16_GET_SUPPLEMENTARY(lead, trail);
        in += 4;
        return true;
    }
};

// Writers put a character's bytes at `out`, or write nothing and say no.

struct TableWriter
{
    EncodeTable::Writer table;

    bool write(UChar32 c, char *&out) const
    {
        return c <= 0xFFFF && table.write(static_cast<UChar>(c), out);
    }
};

struct Utf8Writer
{
    bool write(UChar32 c, char *&out) const
    {
        std::size_t length = 0;
        U8_APPEND_UNSAFE(out, length, c);
        out += length;
        return true;
    }
};

template <bool bigEndian>
struct Utf16Writer
{
    bool write(UChar32 c, char *&out) const
    {
        if (c <= 0xFFFF) {
            putUnit<bigEndian>(static_cast<UChar>(c), out);
        } else {
            putUnit<bigEndian>(U16_LEAD(c), out);
            putUnit<bigEndian>(U16_TRAIL(c), out);
        }
        return true;
    }
};

using Reader = std::variant<std::monostate, TableReader, Utf8Reader, Utf16Reader<false>,
                            Utf16Reader<true>>;
using Writer = std::variant<std::monostate, TableWriter, Utf8Writer, Utf16Writer<false>,
                            Utf16Writer<true>>;

// Only the plain fixed-order converters: a variant with options
// ("UTF-16LE,version=1") writes a mark of its own.
bool isPlainUtf16(const Converter &converter, UConverterType type, const char *name)
{
    return converter.type() == type && converter.name() == name;
}

// What the tables of a reader or writer belong to.
using Owner = std::shared_ptr<const void>;

Reader readerFor(const Converter &converter, Owner &owner)
{
    if (converter.isUtf8())
        return Utf8Reader{};
    if (isPlainUtf16(converter, UCNV_UTF16_LittleEndian, "UTF-16LE"))
        return Utf16Reader<false>{};
    if (isPlainUtf16(converter, UCNV_UTF16_BigEndian, "UTF-16BE"))
        return Utf16Reader<true>{};
    if (auto table = decodeTableFor(converter)) {
        owner = table;
        return TableReader{table->reader()};
    }
    return {};
}

Writer writerFor(const Converter &converter, Owner &owner)
{
    if (converter.isUtf8())
        return Utf8Writer{};
    if (isPlainUtf16(converter, UCNV_UTF16_LittleEndian, "UTF-16LE"))
        return Utf16Writer<false>{};
    if (isPlainUtf16(converter, UCNV_UTF16_BigEndian, "UTF-16BE"))
        return Utf16Writer<true>{};
    if (auto table = encodeTableFor(converter)) {
        owner = table;
        return TableWriter{table->writer()};
    }
    return {};
}

// One loop per pair of reader and writer, so that both inline into it.
template <typename R, typename W>
class DirectPathOf : public DirectPath
{
public:
    DirectPathOf(R reader, W writer, Owner readerTables, Owner writerTables)
        : m_reader(reader), m_writer(writer), m_readerTables(std::move(readerTables)),
          m_writerTables(std::move(writerTables))
    {
    }

    void convert(const char *&source, const char *end, char *&target,
                 char *targetEnd) const override
    {
        auto *in = reinterpret_cast<const Byte *>(source);
        const auto *inEnd = reinterpret_cast<const Byte *>(end);
        // Local copies: the compiler need not reload them after every byte written.
        const R reader = m_reader;
        const W writer = m_writer;
        char *out = target;
        const char *outLimit = targetEnd - kCharacterRoom;
        while (in != inEnd && out <= outLimit) {
            const Byte *next = in;
            UChar32 c = 0;
            if (!reader.read(next, inEnd, c) || !writer.write(c, out))
                break;
            in = next;
        }
        source = reinterpret_cast<const char *>(in);
        target = out;
    }

private:
    R m_reader;
    W m_writer;
    Owner m_readerTables;
    Owner m_writerTables;
};

struct MakeDirectPath
{
    Owner readerTables;
    Owner writerTables;

    template <typename R, typename W>
    std::unique_ptr<DirectPath> operator()(const R &reader, const W &writer) const
    {
        if constexpr (std::is_same_v<R, std::monostate> || std::is_same_v<W, std::monostate>)
            return nullptr;
        else
            return std::make_unique<DirectPathOf<R, W>>(reader, writer, readerTables,
                                                        writerTables);
    }
};

} // namespace

std::unique_ptr<DirectPath> makeDirectPath(const Converter &source, const Converter &target)
{
    MakeDirectPath make;
    const Reader reader = readerFor(source, make.readerTables);
    const Writer writer = writerFor(target, make.writerTables);
    return std::visit(make, reader, writer);
}

} // namespace velloran
