// SPDX-License-Identifier: GPL-3.0-or-later
// The detector: exact rules for byte-order marks, UTF-8, ASCII, UTF-16 and
// UTF-32 first, then the legacy Chinese families (chinese_families.cpp).
#include "detect/detector.h"

#include "detect/chinese_families.h"
#include "detect/detect_text_rules.h"
#include "detect/detection_answers.h"
#include "detect/unicode_without_mark.h"
#include "files/file_error.h"
#include "files/input_file.h"
#include "files/streams.h"

#include <algorithm>
#include <utility>

namespace velloran {

namespace {

// Whether the sample decodes strictly in `encoding` (UTF-7 or HZ) into a
// character outside ASCII, or one of `escaped`, which the encoding writes
// only in its shifted form.
bool readsShifted(const DetectionSample &sample, std::string_view encoding,
                  std::u16string_view escaped)
{
    bool shifted = false;
    const bool decodes = decodesStrictly(sample, encoding, [&](std::u16string_view text) {
        shifted = shifted || std::any_of(text.begin(), text.end(), [&](char16_t unit) {
                      return unit >= 0x80 || escaped.find(unit) != std::u16string_view::npos;
                  });
    });
    return decodes && shifted;
}

// ASCII reads the same in UTF-8 and every legacy encoding, but not in the
// ISO-2022 encodings, UTF-7 or HZ, which write everything else in ASCII too.
Detection readAscii(const DetectionSample &sample)
{
    if (const std::optional<std::string_view> iso2022 = iso2022EncodingOf(sample.bytes))
        return undecided("looks like " + std::string(*iso2022));
    if (hasUtf7Shift(sample.bytes) && readsShifted(sample, "UTF-7", u"\\~"))
        return undecided("ASCII that may be UTF-7");
    if (hasHzShift(sample.bytes) && readsShifted(sample, "HZ", u""))
        return undecided("looks like HZ");
    return decided("UTF-8", kCertain);
}

// Legacy text is judged from the start of the line that holds its first byte
// of 0x80 and above (at most this many bytes before it), so that its answer
// is the same wherever past an ASCII start it begins.
constexpr std::size_t kLineBack = 256;

std::size_t firstEightBit(std::string_view bytes)
{
    const auto found = std::find_if(bytes.begin(), bytes.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return found == bytes.end() ? std::string_view::npos
                                : static_cast<std::size_t>(found - bytes.begin());
}

// Where in `bytes` the line of their byte at `eightBit` starts.
std::size_t lineStart(std::string_view bytes, std::size_t eightBit)
{
    const std::size_t earliest = eightBit > kLineBack ? eightBit - kLineBack : 0;
    const std::size_t feed = bytes.substr(earliest, eightBit - earliest).rfind('\n');
    return feed == std::string_view::npos ? earliest : earliest + feed + 1;
}

// The sample from the line of its first byte of 0x80 and above.
DetectionSample fromFirstEightBitLine(const DetectionSample &sample)
{
    const std::size_t eightBit = firstEightBit(sample.bytes);
    if (eightBit == std::string_view::npos)
        return sample;
    return {sample.bytes.substr(lineStart(sample.bytes, eightBit)), sample.wholeFile};
}

Detection detectNotAscii(const DetectionSample &sample, WholeFileCheck &wholeFile,
                         WholeFileAnswer how);

// A file whose start is ASCII is held to the same rules to its end, where an
// ISO-2022 escape, a UTF-7 shift or NUL bytes may still come: the file is
// read once more, which only a large file with an ASCII start pays. Where
// bytes of 0x80 and above come, the file is judged from there as a file
// that starts with them would be. (A shift or an escape cut by the end of a
// chunk goes unseen.)
Detection readAsciiFile(const DetectionSample &sample, WholeFileCheck &wholeFile,
                        WholeFileAnswer how)
{
    Detection answer = readAscii(sample);
    if (!answer.encoding)
        return answer;
    std::uint64_t offset = 0;
    std::optional<std::uint64_t> lateText;
    wholeFile.readWholeFile([&](std::string_view chunk) {
        const std::size_t eightBit = firstEightBit(chunk);
        const std::string_view ascii = chunk.substr(0, eightBit);
        answer = hasNul(ascii) ? undecided("holds NUL bytes") : readAscii({ascii, false});
        if (eightBit != std::string_view::npos && answer.encoding)
            lateText = offset + lineStart(chunk, eightBit);
        offset += chunk.size();
        return answer.encoding && !lateText;
    });
    if (!lateText)
        return answer;
    return detectNotAscii(wholeFile.lookFrom(*lateText), wholeFile, how);
}

// UTF-32, then UTF-16, without a mark: the answer, undecided when more than
// one byte order fits; nothing when no reading is plausible. An answer from
// the start of a larger file holds only when all of it reads so.
std::optional<Detection> readUnicodeWithoutMark(const DetectionSample &sample,
                                                WholeFileCheck &wholeFile)
{
    UnicodeReadings start;
    start.add(sample.bytes);
    std::optional<Detection> answer = start.answer(sample.wholeFile);
    if (!answer || !answer->encoding || sample.wholeFile)
        return answer;
    UnicodeReadings whole;
    if (!wholeFile.readWholeFile([&whole](std::string_view chunk) {
            whole.add(chunk);
            return true;
        }))
        return answer; // a stream, whose rest the conversion checks
    if (std::optional<Detection> all = whole.answer(true))
        return all;
    return undecided("looks like " + *answer->encoding + " without a mark");
}

// One byte more than a sample tells whether the input goes on.
constexpr std::size_t kSampleRead = kDetectionSampleSize + 1;

DetectionSample sampleFrom(std::string_view bytes)
{
    return DetectionSample{bytes.substr(0, kDetectionSampleSize),
                           bytes.size() <= kDetectionSampleSize};
}

// The rules for a sample that is not plain ASCII.
Detection detectNotAscii(const DetectionSample &sample, WholeFileCheck &wholeFile,
                         WholeFileAnswer how)
{
    if (isUtf8WithWideCharacters(sample))
        return decided("UTF-8", kCertain);
    if (std::optional<Detection> unicode = readUnicodeWithoutMark(sample, wholeFile))
        return *unicode;
    if (hasNul(sample.bytes))
        return undecided("holds NUL bytes");
    return detectChineseFamily(fromFirstEightBitLine(sample), wholeFile, how);
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
                         WholeFileCheck &wholeFile, WholeFileAnswer how)
{
    if (mark)
        return decided(mark->encoding, kCertain);
    if (isPlainAscii(sample.bytes))
        return readAsciiFile(sample, wholeFile, how);
    return detectNotAscii(sample, wholeFile, how);
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

std::optional<std::string> likelyEncoding(const DetectionSample &sample,
                                          const std::optional<ByteOrderMark> &mark,
                                          WholeFileCheck &wholeFile)
{
    const Detection detection = detectInSample(sample, mark, wholeFile);
    if (!detection.encoding || !wholeFile.decodes(*detection.encoding))
        return std::nullopt;
    return detection.encoding;
}

} // namespace velloran
