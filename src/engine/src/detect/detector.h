// Detection of a file's source encoding, and the checks a run's guards share
// with it. Detection looks at a sample of the file, the start of it (at most
// kDetectionSampleSize bytes); what needs the whole file, a strict decoding in
// one candidate encoding, is asked of the caller, so that a run can answer it
// from memory for a small file, or by reading an already opened file once more.
#pragma once

#include "velloran/detect.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace velloran {

class InputFile;

// How much of a file detection reads. ICU's detector itself looks at less.
inline constexpr std::size_t kDetectionSampleSize = 64 * 1024;

// The start of a file, and whether it is all of it.
struct DetectionSample
{
    std::string_view bytes;
    bool wholeFile = true;
};

// Whether the whole file decodes strictly in `encoding`.
using WholeFileCheck = std::function<bool(std::string_view encoding)>;

// The detector's answer for a sample; asks `decodesWhole` only about GB18030
// and Big5, and only when the sample alone cannot decide.
Detection detectInSample(const DetectionSample &sample, const WholeFileCheck &decodesWhole);

// Detects the encoding of an open file from its start; leaves the position of
// its next read at the start. Throws FileError(CannotRead) on a read error.
Detection detectInFile(InputFile &input);

// The sample of an open file: its first kDetectionSampleSize bytes, read
// without moving the position of its next read; `wholeFile` tells whether
// that is all of it. Throws FileError(CannotRead).
std::string readDetectionSample(InputFile &input, bool &wholeFile);

// The whole-file check that goes with a sample of `input`: from memory when
// the sample is the whole file, else by reading the file once more from its
// start. Both must outlive the check.
WholeFileCheck wholeFileCheckFor(InputFile &input, const DetectionSample &sample);

// Valid UTF-8 with at least one character at U+0800 or above (every Han
// character is one). A sample that is not the whole file may end inside a
// character.
bool isUtf8WithWideCharacters(const DetectionSample &sample);

// The Chinese family an encoding belongs to, whatever alias names it:
// "GB18030" for itself and its subsets GBK and GB2312, "Big5" for Big5; empty
// for any other encoding.
std::string_view chineseFamilyOf(std::string_view name);

// For a file converted from `chosenSource`, one of the two Chinese families
// (GB18030 with GBK and GB2312, or Big5): the other family's name when the
// detector is confident (above 50) the file is in that one and it decodes
// there strictly; empty otherwise, and for any other source.
std::string otherChineseFamily(const DetectionSample &sample, std::string_view chosenSource,
                               const WholeFileCheck &decodesWhole);

// For a file that failed to decode: an encoding in which the whole file
// decodes strictly, as a hint for the user; empty when there is none to offer.
std::string likelyEncoding(const DetectionSample &sample, const WholeFileCheck &decodesWhole);

// Detection's strict decoding: like a conversion's, and the text may also
// hold no private-use character, which GB18030 and Big5 give their
// user-defined byte ranges and which therefore mark a wrong guess.

// Whether `bytes`, a whole text, decode strictly in `encoding`.
bool decodesStrictly(std::string_view bytes, std::string_view encoding);

// Whether the whole of `input` decodes strictly in `encoding`, read from its
// start; leaves the position of the next read at the start. Throws
// FileError(CannotRead) on a read error.
bool decodesStrictly(InputFile &input, std::string_view encoding);

} // namespace velloran
