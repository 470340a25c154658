// The detector: exact rules for byte-order marks, UTF-8, ASCII, UTF-16 and
// UTF-32 first, then the legacy Chinese families: by the bytes alone where
// only one of the region's multi-byte encodings decodes the sample, else by
// ICU's statistical detector. An answer counts only when the whole file also
// decodes strictly in it.
#include "detect/detector.h"

#include "detect/detect_byte_shape.h"
#include "detect/detect_text_rules.h"
#include "detect/icu_opinion.h"
#include "files/file_error.h"
#include "files/input_file.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velloran {

namespace {

// How sure a rule is that leaves no other reading.
constexpr int kCertain = 100;
// Above this, ICU's detector has seen enough of the text to prefer a family.
constexpr int kSomeConfidence = 10;
// Above this, it is confident enough to question the user's own choice.
constexpr int kConfident = 50;
// Fewer bytes of 0x80 and above than this are a handful of characters, too
// few for the detector.
constexpr std::size_t kFewestEightBitBytes = 40;

// The multi-byte encodings of East Asia, besides the Chinese families, that
// text in them is most often in. Japanese and Korean text decodes in GB18030
// too (EUC-JP's kana are GB2312's), so a Chinese answer needs them ruled out.
constexpr std::array<std::string_view, 3> kRivals = {"EUC-JP", "Shift_JIS", "EUC-KR"};

Detection decided(std::string_view encoding, int confidence)
{
    return Detection{std::string(encoding), {}, confidence};
}

Detection undecided(std::string reason)
{
    return Detection{{}, std::move(reason), 0};
}

std::string_view otherFamily(std::string_view family)
{
    return family == kBig5 ? kGb18030 : kBig5;
}

// ICU's detector costs about half a microsecond a byte, many times a
// conversion, almost all of it in recognizers of single-byte encodings that
// detection does not need. Its confidence in either family counts two-byte
// characters only, and rises above 10 only after ten of them; so it is first
// shown a few two-byte characters alone (each lead byte of 0x81 or above with
// the byte after it, as both families write them), then more, and the start
// of the sample as it is only when those do not decide (its answers for
// GB18030 and Big5 are as good after a kilobyte as after more).
constexpr std::array<std::size_t, 2> kQuickLooks = {16, 48};
constexpr std::size_t kFewestCharactersToPrefer = 11;
constexpr std::size_t kLongLook = 1024;

std::string_view startOf(std::string_view bytes, std::size_t size)
{
    if (bytes.size() <= size)
        return bytes;
    std::size_t end = size;
    while (end > size / 2 && static_cast<unsigned char>(bytes[end - 1]) >= 0x40)
        --end;
    return bytes.substr(0, end);
}

// The first `count` two-byte characters of `bytes`, without what lies between them.
std::string twoByteCharacters(std::string_view bytes, std::size_t count)
{
    std::string characters;
    characters.reserve(2 * count);
    for (std::size_t i = 0; i + 1 < bytes.size() && characters.size() < 2 * count; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x81) {
            characters.append(bytes.substr(i, 2));
            ++i;
        }
    }
    return characters;
}

// ICU's detector weighs how common the characters are in each family; on
// mostly-English text both families score alike and it can pick the wrong
// one. The shape of the bytes then says which answers cannot be trusted:
// Big5 for a dozen characters without one low trail byte, GB18030 for text
// where one character in twenty or more has one (GBK has such characters,
// but simplified text seldom uses them).
bool shapeContradicts(std::string_view family, const TwoByteShape &shape)
{
    constexpr std::size_t kEnoughCharacters = 12;
    if (shape.characters < kEnoughCharacters)
        return false;
    if (family == kBig5)
        return shape.lowTrails == 0;
    return shape.lowTrails * 20 >= shape.characters;
}

// Whether the sample decodes strictly in UTF-7 into a character that UTF-7
// writes only in base64: anything outside ASCII, and '\\' and '~'.
bool readsAsUtf7(const DetectionSample &sample)
{
    bool shifted = false;
    const bool decodes = decodesStrictly(sample, "UTF-7", [&](std::u16string_view text) {
        shifted = shifted || std::any_of(text.begin(), text.end(), [](char16_t unit) {
                      return unit >= 0x80 || unit == u'\\' || unit == u'~';
                  });
    });
    return decodes && shifted;
}

// Modern Korean is written in Hangul, with a Hanja now and then, while
// Chinese text read as EUC-KR comes out largely as Hanja (EUC-KR's Hanja
// rows are where GB2312 keeps most Han characters). So EUC-KR reads a
// sample only when it decodes into four Hangul syllables for every Hanja.
bool readsAsKorean(const DetectionSample &sample)
{
    std::size_t hangul = 0;
    std::size_t hanja = 0;
    const bool decodes = decodesStrictly(sample, "EUC-KR", [&](std::u16string_view text) {
        for (const char16_t unit : text) {
            hangul += unit >= 0xAC00 && unit <= 0xD7A3 ? 1 : 0;
            hanja +=
                (unit >= 0x4E00 && unit <= 0x9FFF) || (unit >= 0xF900 && unit <= 0xFAFF) ? 1 : 0;
        }
    });
    return decodes && hangul >= 4 * hanja;
}

// What the bytes alone say of a sample in a legacy encoding: their shape, and
// which encodings read it (asked of the check as needed, each once).
struct LegacyEvidence
{
    DetectionSample sample;
    TwoByteShape shape;
    WholeFileCheck &decoding;

    bool decodes(std::string_view encoding) const { return decoding.sampleDecodes(encoding); }
    // Whether an East Asian rival reads the sample: it decodes it, and EUC-KR into Korean.
    bool rivalReads(std::string_view rival) const
    {
        return decodes(rival) && (rival != "EUC-KR" || readsAsKorean(sample));
    }
    bool anyRivalReads() const
    {
        return std::any_of(kRivals.begin(), kRivals.end(),
                           [this](std::string_view rival) { return rivalReads(rival); });
    }
};

// ICU's most confident answer among the other East Asian encodings that
// read the sample (one that does not decode it is no reading of it).
IcuAnswer strongestRival(const IcuOpinion &opinion, const LegacyEvidence &evidence)
{
    for (const IcuAnswer &answer : opinion.eastAsian)
        if (evidence.rivalReads(answer.encoding))
            return answer;
    return {};
}

// Whether ICU is at least as confident in an East Asian rival as in
// `confidence`, a Chinese family's.
bool rivalIsAsLikely(const IcuOpinion &opinion, const LegacyEvidence &evidence, int confidence)
{
    const IcuAnswer rival = strongestRival(opinion, evidence);
    return !rival.encoding.empty() && rival.confidence >= confidence;
}

// The family ICU prefers, when it decodes the sample, no rival is as likely,
// and either the other family does not decode or the shape of the bytes
// agrees; empty otherwise.
Detection preferredFamily(const IcuOpinion &opinion, const LegacyEvidence &evidence)
{
    const std::string_view favourite = opinion.favourite();
    const int confidence = opinion.confidenceIn(favourite);
    const bool prefers = opinion.gb18030 != opinion.big5;
    if (prefers && confidence > kSomeConfidence && evidence.decodes(favourite) &&
        !rivalIsAsLikely(opinion, evidence, confidence) &&
        (!shapeContradicts(favourite, evidence.shape) || !evidence.decodes(otherFamily(favourite))))
        return decided(favourite, confidence);
    return {};
}

// GB18030 or Big5, by ICU's opinion of `look` (the start of the sample) and
// by which encodings decode the sample; else undecided, with the reason.
Detection chooseChineseFamily(std::string_view look, const LegacyEvidence &evidence)
{
    const IcuOpinion opinion = askIcu(look);
    if (Detection preferred = preferredFamily(opinion, evidence); !preferred.encoding.empty())
        return preferred;
    const std::string_view favourite = opinion.favourite();
    if (opinion.confidenceIn(favourite) > kConfident && !evidence.decodes(favourite))
        return undecided("looks like " + std::string(favourite) + " but does not decode as it");
    const bool gb18030 = evidence.decodes(kGb18030);
    const bool big5 = evidence.decodes(kBig5);
    if (!gb18030 && !big5)
        return undecided("no encoding fits");
    if (evidence.shape.eightBitBytes < kFewestEightBitBytes)
        return undecided("too short");
    const int chinese = std::max(gb18030 ? opinion.gb18030 : 0, big5 ? opinion.big5 : 0);
    if (rivalIsAsLikely(opinion, evidence, chinese))
        return undecided("looks like " + strongestRival(opinion, evidence).encoding);
    if (gb18030 && big5)
        return undecided("GB18030 and Big5 both possible");
    if (opinion.other.confidence > kConfident)
        return undecided("looks like " + opinion.other.encoding);
    // Only one family decodes: it, if ICU saw more than a trace of it.
    const std::string_view only = gb18030 ? kGb18030 : kBig5;
    if (opinion.confidenceIn(only) > kSomeConfidence)
        return decided(only, opinion.confidenceIn(only));
    return undecided("no encoding fits");
}

// ICU's preferred family on the quick looks; empty when none decides.
Detection quickAnswer(std::string_view bytes, const LegacyEvidence &evidence)
{
    for (const std::size_t count : kQuickLooks) {
        const std::string look = twoByteCharacters(bytes, count);
        if (look.size() < 2 * kFewestCharactersToPrefer)
            return {};
        if (Detection preferred = preferredFamily(askIcu(look), evidence);
            !preferred.encoding.empty())
            return preferred;
        if (look.size() < 2 * count)
            return {}; // a longer look would hold no more of them
    }
    return {};
}

// The family that is left when the other one does not decode the sample
// (asked about GB18030 last: most files are in it); empty when both do.
std::string_view familyLeft(const LegacyEvidence &evidence)
{
    if (!evidence.decodes(kBig5))
        return kGb18030;
    if (!evidence.decodes(kGb18030))
        return kBig5;
    return {};
}

// The family the bytes alone settle, without ICU: the other family and the
// East Asian rivals do not decode the sample, which is long enough, shaped
// like the family and not UTF-8 with a broken byte (which can decode in a
// family, and which ICU then tells apart), and the whole file decodes in it.
// Empty otherwise. UTF-8 with a broken byte is valid nearly everywhere, so a
// few hundred bytes of it tell.
Detection onlyFamilyLeft(const LegacyEvidence &evidence, WholeFileCheck &wholeFile)
{
    constexpr std::size_t kUtf8Look = 256;
    if (evidence.shape.eightBitBytes < kFewestEightBitBytes)
        return {};
    const std::string_view family = familyLeft(evidence);
    if (family.empty() || evidence.anyRivalReads() || shapeContradicts(family, evidence.shape) ||
        isMostlyUtf8(startOf(evidence.sample.bytes, kUtf8Look)))
        return {};
    return wholeFile.decodes(family) ? decided(family, kCertain) : Detection{};
}

// The answer for the sample, once the whole file decodes in it too.
Detection confirmed(Detection detection, WholeFileCheck &wholeFile)
{
    if (detection.encoding.empty() || wholeFile.decodes(detection.encoding))
        return detection;
    return undecided("looks like " + detection.encoding + " but does not decode as it");
}

// A legacy encoding: by the bytes alone, else by ICU.
Detection detectLegacy(const DetectionSample &sample, WholeFileCheck &wholeFile)
{
    const LegacyEvidence evidence{sample, shapeOf(sample.bytes), wholeFile};
    if (Detection alone = onlyFamilyLeft(evidence, wholeFile); !alone.encoding.empty())
        return alone;
    if (Detection quick = quickAnswer(sample.bytes, evidence); !quick.encoding.empty())
        return confirmed(quick, wholeFile);
    return confirmed(chooseChineseFamily(startOf(sample.bytes, kLongLook), evidence), wholeFile);
}

// ASCII reads the same in UTF-8 and every legacy encoding, but not in the
// ISO-2022 encodings or UTF-7, which write everything else in ASCII too.
Detection readAscii(const DetectionSample &sample)
{
    if (const std::string_view iso2022 = iso2022EncodingOf(sample.bytes); !iso2022.empty())
        return undecided("looks like " + std::string(iso2022));
    if (hasUtf7Shift(sample.bytes) && readsAsUtf7(sample))
        return undecided("ASCII that may be UTF-7");
    return decided("UTF-8", kCertain);
}

// UTF-32, then UTF-16, without a mark: the answer, undecided when more than
// one byte order fits; nothing when no reading is plausible.
std::optional<Detection> readUnicodeWithoutMark(const DetectionSample &sample)
{
    for (const auto &[order, name] : {std::pair(ByteOrder::LittleEndian, "UTF-32LE"),
                                      std::pair(ByteOrder::BigEndian, "UTF-32BE")}) {
        switch (readAsUtf32(sample, order)) {
        case Utf32Reading::Text:
            return decided(name, kCertain);
        case Utf32Reading::NotAllText:
            return undecided("looks like " + std::string(name) + " without a mark");
        case Utf32Reading::None:
            break;
        }
    }
    const bool littleEndian = looksLikeUtf16(sample, ByteOrder::LittleEndian);
    const bool bigEndian = looksLikeUtf16(sample, ByteOrder::BigEndian);
    if (littleEndian && bigEndian)
        return undecided("UTF-16LE and UTF-16BE both possible");
    if (littleEndian || bigEndian)
        return decided(littleEndian ? "UTF-16LE" : "UTF-16BE", kCertain);
    return std::nullopt;
}

} // namespace

DetectionSample sampleOf(InputFile &input)
{
    // One byte more than a sample tells whether the file goes on. Nothing is
    // read past the size the file had when opened, so a small file gets a
    // small buffer (clearing 64 KB for each of many small files would cost
    // more than reading them).
    const std::string_view bytes = input.start(kDetectionSampleSize + 1);
    return DetectionSample{bytes.substr(0, kDetectionSampleSize),
                           bytes.size() <= kDetectionSampleSize};
}

Detection detectInSample(const DetectionSample &sample, const std::optional<ByteOrderMark> &mark,
                         WholeFileCheck &wholeFile)
{
    if (mark)
        return decided(mark->encoding, kCertain);
    if (isUtf8WithWideCharacters(sample))
        return decided("UTF-8", kCertain);
    if (isPlainAscii(sample.bytes))
        return readAscii(sample);
    if (std::optional<Detection> unicode = readUnicodeWithoutMark(sample))
        return *unicode;
    if (hasNul(sample.bytes))
        return undecided("holds NUL bytes");
    return detectLegacy(sample, wholeFile);
}

Detection detectInFile(InputFile &input)
{
    const DetectionSample sample = sampleOf(input);
    WholeFileCheck wholeFile(sample, &input);
    return detectInSample(sample, findByteOrderMark(sample.bytes), wholeFile);
}

Detection detectEncoding(const std::filesystem::path &path)
{
    try {
        InputFile input(path);
        return detectInFile(input);
    } catch (const FileError &) {
        return undecided("cannot be read");
    }
}

std::string otherChineseFamily(const DetectionSample &sample, std::string_view family,
                               WholeFileCheck &wholeFile)
{
    if (family != kGb18030 && family != kBig5)
        return {};
    // A strict decoding of the sample, which most files fail within their
    // first characters, then the shape of the bytes ICU would see, rule most
    // files out before its costly look (a shape of more would cost a run of
    // many small files about as much as their decoding).
    const std::string_view other = otherFamily(family);
    const std::string_view look = startOf(sample.bytes, kLongLook);
    if (!wholeFile.sampleDecodes(other) || shapeContradicts(other, shapeOf(look)))
        return {};
    const IcuOpinion opinion = askIcu(look);
    if (opinion.favourite() != other || opinion.confidenceIn(other) <= kConfident)
        return {};
    return wholeFile.decodes(other) ? std::string(other) : std::string();
}

std::string likelyEncoding(const DetectionSample &sample, const std::optional<ByteOrderMark> &mark,
                           WholeFileCheck &wholeFile)
{
    const Detection detection = detectInSample(sample, mark, wholeFile);
    if (detection.encoding.empty() || !wholeFile.decodes(detection.encoding))
        return {};
    return detection.encoding;
}

} // namespace velloran
