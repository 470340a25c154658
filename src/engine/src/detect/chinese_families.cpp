// SPDX-License-Identifier: GPL-3.0-or-later
// The legacy Chinese families: first what the bytes alone settle (strict
// decodings of the sample in each family and in the other East Asian
// encodings, and the shape of its bytes), then ICU's statistical detector,
// whose answer counts only when no Japanese or Korean encoding is as likely.
#include "detect/chinese_families.h"

#include "detect/chinese_reading.h"

#include "detect/detect_byte_shape.h"
#include "detect/detect_text_rules.h"
#include "detect/detection_answers.h"
#include "detect/detector.h"
#include "detect/icu_opinion.h"

#include <algorithm>
#include <array>
#include <optional>

namespace velloran {

namespace {

// Above this, ICU's detector has seen enough of the text to prefer a family.
constexpr int kSomeConfidence = 10;
// Above this, it is confident enough to question the user's own choice.
constexpr int kConfident = 50;
// Fewer two-byte characters than this leave the readings too little to
// compare, and the family to ICU's detector.
constexpr std::size_t kFewestToCompare = 10;
// The share of frequent characters (in percent) that a reading as Chinese
// keeps of its two-byte characters; real text keeps 96 % and more, another
// family's bytes 40 to 60 % (the rest rare Han, kana, symbols, letters).
constexpr int kReadsAsChinese = 90;
// Below this share of its Han characters frequent ones, a reading is no
// Chinese text at all: UTF-8 bytes read as GBK keep about 11 %, Latin
// letters none.
constexpr int kChineseAtAll = 75;

// Fewer bytes of 0x80 and above than this are a handful of characters, too
// few for the detector.
constexpr std::size_t kFewestEightBitBytes = 40;

// The other multi-byte encodings of East Asia that files most often come in.
// Japanese and Korean text decodes in GB18030 too (EUC-JP's kana are
// GB2312's), so a Chinese answer needs them ruled out.
constexpr std::array<std::string_view, 3> kRivals = {"EUC-JP", "Shift_JIS", "EUC-KR"};

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

    // Whether the sample reads as Korean, once known.
    mutable std::optional<bool> korean;

    bool decodes(std::string_view encoding) const { return decoding.sampleDecodes(encoding); }
    // Whether an East Asian rival reads the sample: it decodes it, and EUC-KR
    // into Korean (one decoding tells both, asked once).
    bool rivalReads(std::string_view rival) const
    {
        if (rival != "EUC-KR")
            return decodes(rival);
        if (!korean)
            korean = readsAsKorean(sample);
        return *korean;
    }
    bool anyRivalReads() const
    {
        return std::any_of(kRivals.begin(), kRivals.end(),
                           [this](std::string_view rival) { return rivalReads(rival); });
    }
};

// ICU's most confident answer among the other East Asian encodings that
// read the sample (one that does not decode it is no reading of it), if any.
std::optional<IcuAnswer> strongestRival(const IcuOpinion &opinion, const LegacyEvidence &evidence)
{
    for (const IcuAnswer &answer : opinion.eastAsian)
        if (evidence.rivalReads(answer.encoding))
            return answer;
    return std::nullopt;
}

// Whether ICU is at least as confident in an East Asian rival as in
// `confidence`, a Chinese family's.
bool rivalIsAsLikely(const IcuOpinion &opinion, const LegacyEvidence &evidence, int confidence)
{
    const std::optional<IcuAnswer> rival = strongestRival(opinion, evidence);
    return rival && rival->confidence >= confidence;
}

// The family ICU prefers, when it decodes the sample, no rival is as likely,
// and either the other family does not decode or the shape of the bytes
// agrees; none otherwise.
std::optional<Detection> preferredFamily(const IcuOpinion &opinion, const LegacyEvidence &evidence)
{
    const std::string_view favourite = opinion.favourite();
    const int confidence = opinion.confidenceIn(favourite);
    const bool prefers = opinion.gb18030 != opinion.big5;
    if (prefers && confidence > kSomeConfidence && evidence.decodes(favourite) &&
        !rivalIsAsLikely(opinion, evidence, confidence) &&
        (!shapeContradicts(favourite, evidence.shape) || !evidence.decodes(otherFamily(favourite))))
        return decided(favourite, confidence);
    return std::nullopt;
}

// GB18030 or Big5, by ICU's opinion of `look` (the start of the sample) and
// by which encodings decode the sample; else undecided, with the reason.
Detection chooseChineseFamily(std::string_view look, const LegacyEvidence &evidence)
{
    const IcuOpinion opinion = askIcu(look);
    if (std::optional<Detection> preferred = preferredFamily(opinion, evidence))
        return *preferred;
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
        return undecided("looks like " + strongestRival(opinion, evidence)->encoding);
    if (gb18030 && big5)
        return undecided("GB18030 and Big5 both possible");
    if (opinion.other && opinion.other->confidence > kConfident)
        return undecided("looks like " + opinion.other->encoding);
    // Only one family decodes: it, if ICU saw more than a trace of it.
    const std::string_view only = gb18030 ? kGb18030 : kBig5;
    if (opinion.confidenceIn(only) > kSomeConfidence)
        return decided(only, opinion.confidenceIn(only));
    return undecided("no encoding fits");
}

// ICU's preferred family on the quick looks; none when none decides.
std::optional<Detection> quickAnswer(std::string_view bytes, const LegacyEvidence &evidence)
{
    for (const std::size_t count : kQuickLooks) {
        const std::string look = twoByteCharacters(bytes, count);
        if (look.size() < 2 * kFewestCharactersToPrefer)
            return std::nullopt;
        if (std::optional<Detection> preferred = preferredFamily(askIcu(look), evidence))
            return preferred;
        if (look.size() < 2 * count)
            return std::nullopt; // a longer look would hold no more of them
    }
    return std::nullopt;
}

// The family that is left when the other one does not decode the sample
// (asked about GB18030 last: most files are in it); none when both do.
std::optional<std::string_view> familyLeft(const LegacyEvidence &evidence)
{
    if (!evidence.decodes(kBig5))
        return kGb18030;
    if (!evidence.decodes(kGb18030))
        return kBig5;
    return std::nullopt;
}

// The family the bytes alone settle, without ICU: the other family and the
// East Asian rivals do not decode the sample, which is long enough, shaped
// like the family and not UTF-8 with a broken byte (which can decode in a
// family, and which ICU then tells apart), and the whole file decodes in it.
// None otherwise. UTF-8 with a broken byte is valid nearly everywhere, so a
// few hundred bytes of it tell.
std::optional<Detection> onlyFamilyLeft(const LegacyEvidence &evidence, WholeFileCheck &wholeFile,
                                        WholeFileAnswer how)
{
    constexpr std::size_t kUtf8Look = 256;
    if (evidence.shape.eightBitBytes < kFewestEightBitBytes)
        return std::nullopt;
    const std::optional<std::string_view> family = familyLeft(evidence);
    if (!family || evidence.anyRivalReads() || shapeContradicts(*family, evidence.shape) ||
        isMostlyUtf8(startOf(evidence.sample.bytes, kUtf8Look)) || !wholeFile.decodes(*family, how))
        return std::nullopt;
    return decided(*family, kCertain);
}

// The answer for the sample, once the whole file decodes in it too.
Detection confirmed(Detection detection, WholeFileCheck &wholeFile, WholeFileAnswer how)
{
    if (!detection.encoding || wholeFile.decodes(*detection.encoding, how))
        return detection;
    return undecided("looks like " + *detection.encoding + " but does not decode as it");
}

// The family by the bytes alone, else by ICU's detector.
Detection chooseFamily(const DetectionSample &sample, WholeFileCheck &wholeFile,
                       WholeFileAnswer how)
{
    const LegacyEvidence evidence{sample, shapeOf(sample.bytes), wholeFile};
    if (std::optional<Detection> alone = onlyFamilyLeft(evidence, wholeFile, how))
        return *alone;
    if (std::optional<Detection> quick = quickAnswer(sample.bytes, evidence))
        return confirmed(*quick, wholeFile, how);
    return confirmed(chooseChineseFamily(startOf(sample.bytes, kLongLook), evidence), wholeFile,
                     how);
}

// Whether the two-byte characters read as Chinese in Big5 (90 % of them
// frequent Han characters, and fewer in GB18030), and the sample decodes in
// Big5 with the Hong Kong supplement, but not in ICU's Big5, which reads the
// supplement's codes as private use: the user may convert it from there.
bool looksLikeHkscs(const ChineseReadings &readings, WholeFileCheck &wholeFile)
{
    const ChineseShare &big5 = readings.in(kBig5);
    return big5.textPercent() >= kReadsAsChinese &&
           readings.in(kGb18030).textPercent() + 10 < big5.textPercent() &&
           !wholeFile.sampleDecodes(kBig5) && wholeFile.sampleDecodes("Big5-HKSCS");
}

bool isChineseAtAll(const ChineseShare &share)
{
    return share.han() == 0 || share.hanPercent() >= kChineseAtAll;
}

// The other family by ICU's detector: confident (above 50) of it, and the
// whole file decodes there. A strict decoding of the sample, which most
// files fail within their first characters, then the shape of the bytes ICU
// would see, rule most files out before its costly look.
std::optional<std::string> otherFamilyByIcu(const DetectionSample &sample, std::string_view other,
                                            WholeFileCheck &wholeFile)
{
    const std::string_view look = startOf(sample.bytes, kLongLook);
    if (!wholeFile.sampleDecodes(other) || shapeContradicts(other, shapeOf(look)))
        return std::nullopt;
    const IcuOpinion opinion = askIcu(look);
    if (opinion.favourite() != other || opinion.confidenceIn(other) <= kConfident ||
        !wholeFile.decodes(other))
        return std::nullopt;
    return std::string(other);
}

// What text that reads as no Chinese in one family looks like: the other
// family, when it reads as Chinese there (though the file may not decode in
// it); UTF-8 with a broken byte (or mixed with legacy text); else what
// ICU's detector names other than a Chinese family (Latin text in
// ISO-8859-1 or windows-1252, Japanese in EUC-JP, say), if anything.
std::optional<std::string> notChinese(const DetectionSample &sample, std::string_view other,
                                      const ChineseShare &theirs)
{
    constexpr std::size_t kUtf8Look = 4096;
    if (theirs.han() != 0 && isChineseAtAll(theirs) && theirs.textPercent() >= kReadsAsChinese)
        return std::string(other);
    if (isMostlyUtf8(startOf(sample.bytes, kUtf8Look)))
        return "UTF-8";
    if (const std::optional<IcuAnswer> named = askIcu(startOf(sample.bytes, kLongLook)).other)
        return named->encoding;
    return std::nullopt;
}

} // namespace

// A family whose text does not read as Chinese is no answer: another
// family's bytes, UTF-8 or Latin letters decode in it too.
Detection detectChineseFamily(const DetectionSample &sample, WholeFileCheck &wholeFile,
                              WholeFileAnswer how)
{
    Detection detection = chooseFamily(sample, wholeFile, how);
    const ChineseReadings readings = chineseReadingsOf(sample.bytes);
    if (detection.encoding && readsAsChinese(readings, *detection.encoding))
        return detection;
    if (looksLikeHkscs(readings, wholeFile))
        return undecided("looks like Big5-HKSCS");
    return detection.encoding ? undecided("does not read as Chinese") : detection;
}

std::optional<std::string> lookalikeOf(const DetectionSample &sample, std::string_view family,
                                       const ChineseReadings &readings, WholeFileCheck &wholeFile)
{
    if (family != kGb18030 && family != kBig5)
        return std::nullopt;
    const std::string_view other = otherFamily(family);
    const ChineseShare &own = readings.in(family);
    const ChineseShare &theirs = readings.in(other);
    if (own.characters() < kFewestToCompare || theirs.characters() < kFewestToCompare) {
        if (std::optional<std::string> byIcu = otherFamilyByIcu(sample, other, wholeFile))
            return byIcu;
    } else if (theirs.textPercent() >= kReadsAsChinese &&
               own.textPercent() + 10 < theirs.textPercent() && wholeFile.decodes(other)) {
        return std::string(other);
    }
    return isChineseAtAll(own) ? std::nullopt : notChinese(sample, other, theirs);
}

bool readsAsChinese(const ChineseReadings &readings, std::string_view family)
{
    return isChineseAtAll(readings.in(family));
}

} // namespace velloran
