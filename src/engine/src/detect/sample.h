// SPDX-License-Identifier: GPL-3.0-or-later
// The part of a file that detection and the guards look at: its start.
#pragma once

#include <cstddef>
#include <string_view>

namespace velloran {

class InputFile;
class InputStream;

// How much of a file detection reads. ICU's detector itself looks at less.
inline constexpr std::size_t kDetectionSampleSize = 64 * 1024;

// The start of a file, and whether it is all of it.
struct DetectionSample
{
    std::string_view bytes;
    bool wholeFile = true;
};

// The sample of an open file: its first kDetectionSampleSize bytes, kept by
// the file. Throws FileError(CannotRead).
DetectionSample sampleOf(InputFile &input);
// The same of a stream, whose start it keeps.
DetectionSample sampleOf(InputStream &input);

} // namespace velloran
