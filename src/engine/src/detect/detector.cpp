// The detector: exact rules for byte-order marks, UTF-8, ASCII and UTF-16LE
// first, then ICU's statistical detector for the two Chinese families, whose
// answer counts only when the whole file also decodes strictly in it.
#include "detect/detector.h"

#include "detect/detect_byte_shape.h"
#include "detect/detect_text_rules.h"
#include "files/file_error.h"
#include "files/input_file.h"
#include "files/streams.h"

#include <unicode/ucsdet.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <vector>

namespace velloran {

namespace {

constexpr std::string_view kGb18030 = "GB18030";
constexpr std::string_view kBig5 = "Big5";

// Above this, ICU's detector has seen enough of the text to prefer a family.
constexpr int kSomeConfidence = 10;
// Above this, it is confident enough to question the user's own choice.
constexpr int kConfident = 50;
// Fewer bytes of 0x80 and above than this are a handful of characters, too
// few for the detector.
constexpr std::size_t kFewestEightBitBytes = 40;

Detection decided(std::string_view encoding, int confidence)
{
    return Detection{std::string(encoding), {}, confidence};
}

Detection undecided(std::string reason)
{
    return Detection{{}, std::move(reason), 0};
}

// The Chinese family of an encoding name as ICU's detector spells it.
std::string_view familyByName(std::string_view name)
{
    if (name == kGb18030 || name == "GBK" || name == "GB2312")
        return kGb18030;
    return name == kBig5 ? kBig5 : std::string_view();
}

// What ICU's detector makes of a sample: its confidence in each Chinese
// family, and its best answer that is neither.
struct IcuOpinion
{
    int gb18030 = 0;
    int big5 = 0;
    std::string other;
    int otherConfidence = 0;

    int confidenceIn(std::string_view family) const { return family == kBig5 ? big5 : gb18030; }
    std::string_view favourite() const { return big5 > gb18030 ? kBig5 : kGb18030; }
};

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

using DetectorPointer = std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)>;

// Each thread keeps one detector: opening one costs as much as looking at a
// few characters. Null when ICU cannot open one.
UCharsetDetector *threadDetector()
{
    thread_local const DetectorPointer detector = [] {
        UErrorCode error = U_ZERO_ERROR;
        UCharsetDetector *opened = ucsdet_open(&error);
        if (U_FAILURE(error)) {
            ucsdet_close(opened);
            opened = nullptr;
        }
        return DetectorPointer(opened, &ucsdet_close);
    }();
    return detector.get();
}

IcuOpinion askIcu(std::string_view bytes)
{
    IcuOpinion opinion;
    UCharsetDetector *detector = threadDetector();
    if (!detector)
        return opinion;
    UErrorCode error = U_ZERO_ERROR;
    ucsdet_setText(detector, bytes.data(), static_cast<int32_t>(bytes.size()), &error);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector, &count, &error);
    if (U_FAILURE(error))
        return opinion;
    for (int32_t i = 0; i < count; ++i) {
        const std::string_view name = ucsdet_getName(matches[i], &error);
        const int confidence = ucsdet_getConfidence(matches[i], &error);
        const std::string_view family = familyByName(name);
        if (family == kGb18030)
            opinion.gb18030 = std::max(opinion.gb18030, confidence);
        else if (family == kBig5)
            opinion.big5 = std::max(opinion.big5, confidence);
        else if (opinion.other.empty()) {
            opinion.other = name;
            opinion.otherConfidence = confidence;
        }
    }
    return opinion;
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

// The family ICU prefers, when it decodes the whole file and either the
// other family does not or the shape of the bytes agrees; empty otherwise.
Detection preferredFamily(const IcuOpinion &opinion, const TwoByteShape &shape,
                          WholeFileCheck &wholeFile)
{
    const std::string_view favourite = opinion.favourite();
    const std::string_view second = favourite == kBig5 ? kGb18030 : kBig5;
    const int confidence = opinion.confidenceIn(favourite);
    const bool prefers = opinion.gb18030 != opinion.big5;
    if (prefers && confidence > kSomeConfidence && wholeFile.decodes(favourite) &&
        (!shapeContradicts(favourite, shape) || !wholeFile.decodes(second)))
        return decided(favourite, confidence);
    return {};
}

// GB18030 or Big5, by ICU's opinion of `look` (the start of the sample) and
// by which of them decode the file; else undecided, with the reason.
Detection chooseChineseFamily(std::string_view look, const TwoByteShape &shape,
                              WholeFileCheck &wholeFile)
{
    const IcuOpinion opinion = askIcu(look);
    if (Detection preferred = preferredFamily(opinion, shape, wholeFile);
        !preferred.encoding.empty())
        return preferred;
    const std::string_view favourite = opinion.favourite();
    if (opinion.confidenceIn(favourite) > kConfident && !wholeFile.decodes(favourite))
        return undecided("looks like " + std::string(favourite) + " but does not decode as it");
    const bool gb18030 = wholeFile.decodes(kGb18030);
    const bool big5 = wholeFile.decodes(kBig5);
    if (!gb18030 && !big5)
        return undecided("no encoding fits");
    if (shape.eightBitBytes < kFewestEightBitBytes)
        return undecided("too short");
    if (gb18030 && big5)
        return undecided("GB18030 and Big5 both possible");
    if (opinion.otherConfidence > kConfident)
        return undecided("looks like " + opinion.other);
    // Only one family decodes: it, if ICU saw more than a trace of it.
    const std::string_view only = gb18030 ? kGb18030 : kBig5;
    if (opinion.confidenceIn(only) > kSomeConfidence)
        return decided(only, opinion.confidenceIn(only));
    return undecided("no encoding fits");
}

// ICU's preferred family on the quick looks; empty when none decides.
Detection quickAnswer(std::string_view bytes, const TwoByteShape &shape, WholeFileCheck &wholeFile)
{
    for (const std::size_t count : kQuickLooks) {
        const std::string look = twoByteCharacters(bytes, count);
        if (look.size() < 2 * kFewestCharactersToPrefer)
            return {};
        if (Detection preferred = preferredFamily(askIcu(look), shape, wholeFile);
            !preferred.encoding.empty())
            return preferred;
        if (look.size() < 2 * count)
            return {}; // a longer look would hold no more of them
    }
    return {};
}

Detection detectChinese(std::string_view bytes, WholeFileCheck &wholeFile)
{
    const TwoByteShape shape = shapeOf(bytes);
    if (Detection quick = quickAnswer(bytes, shape, wholeFile); !quick.encoding.empty())
        return quick;
    return chooseChineseFamily(startOf(bytes, kLongLook), shape, wholeFile);
}

// One byte more than a sample tells whether the input goes on.
constexpr std::size_t kSampleRead = kDetectionSampleSize + 1;

DetectionSample sampleFrom(std::string_view bytes)
{
    return DetectionSample{bytes.substr(0, kDetectionSampleSize),
                           bytes.size() <= kDetectionSampleSize};
}

} // namespace

// Nothing is read past the size the file had when opened, so a small file
// gets a small buffer (clearing 64 KB for each of many small files would
// cost more than reading them).
DetectionSample sampleOf(InputFile &input)
{
    return sampleFrom(input.start(kSampleRead));
}

DetectionSample sampleOf(InputStream &input)
{
    return sampleFrom(input.start(kSampleRead));
}

Detection detectInSample(const DetectionSample &sample, const std::optional<ByteOrderMark> &mark,
                         WholeFileCheck &wholeFile)
{
    constexpr int kCertain = 100;
    if (mark)
        return decided(mark->encoding, kCertain);
    if (isUtf8WithWideCharacters(sample) || isPlainAscii(sample.bytes))
        return decided("UTF-8", kCertain);
    if (looksLikeUtf16Le(sample))
        return decided("UTF-16LE", kCertain);
    if (hasNoEightBitBytes(sample.bytes))
        return decided("UTF-8", kCertain);
    return detectChinese(sample.bytes, wholeFile);
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
    // The shape of the bytes ICU would see rules most files out before its
    // costly look (and a shape of more would cost a run of many small files
    // about as much as their decoding).
    const std::string_view other = family == kBig5 ? kGb18030 : kBig5;
    const std::string_view look = startOf(sample.bytes, kLongLook);
    if (shapeContradicts(other, shapeOf(look)))
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
