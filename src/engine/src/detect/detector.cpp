// SPDX-License-Identifier: GPL-3.0-or-later
// The detector: exact rules for byte-order marks, UTF-8, ASCII, UTF-16 and
// UTF-32 first, then the legacy Chinese families (chinese_families.cpp).
#include "detect/detector.h"

#include "detect/chinese_families.h"
#include "detect/detect_text_rules.h"
#include "detect/detection_answers.h"
#include "files/file_error.h"
#include "files/input_file.h"
#include "files/streams.h"

#include <algorithm>
#include <utility>

namespace velloran {

namespace {

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

// ASCII reads the same in UTF-8 and every legacy encoding, but not in the
// ISO-2022 encodings or UTF-7, which write everything else in ASCII too.
Detection readAscii(const DetectionSample &sample)
{
    if (const std::optional<std::string_view> iso2022 = iso2022EncodingOf(sample.bytes))
        return undecided("looks like " + std::string(*iso2022));
    if (hasUtf7Shift(sample.bytes) && readsAsUtf7(sample))
        return undecided("ASCII that may be UTF-7");
    return decided("UTF-8", kCertain);
}

// A file whose start is ASCII is held to the same rules to its end, where an
// ISO-2022 escape, a UTF-7 shift or NUL bytes may still come: the file is
// read once more, which only a large file with an ASCII start pays. (A
// shift or an escape cut by the end of a chunk goes unseen.)
Detection readAsciiFile(const DetectionSample &sample, WholeFileCheck &wholeFile)
{
    Detection answer = readAscii(sample);
    if (!answer.encoding)
        return answer;
    wholeFile.readWholeFile([&answer](std::string_view chunk) {
        answer = hasNul(chunk) ? undecided("holds NUL bytes") : readAscii({chunk, false});
        return answer.encoding.has_value();
    });
    return answer;
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
                         WholeFileCheck &wholeFile, WholeFileAnswer how)
{
    if (mark)
        return decided(mark->encoding, kCertain);
    if (isUtf8WithWideCharacters(sample))
        return decided("UTF-8", kCertain);
    if (isPlainAscii(sample.bytes))
        return readAsciiFile(sample, wholeFile);
    if (std::optional<Detection> unicode = readUnicodeWithoutMark(sample))
        return *unicode;
    if (hasNul(sample.bytes))
        return undecided("holds NUL bytes");
    return detectChineseFamily(sample, wholeFile, how);
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
