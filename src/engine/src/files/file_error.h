// SPDX-License-Identifier: GPL-3.0-or-later
// The failure of one file, raised deep in the I/O code and turned into that
// file's FileResult by convertFile.
#pragma once

#include "velloran/result.h"

#include <stdexcept>
#include <string>

namespace velloran {

class FileError : public std::runtime_error
{
public:
    FileError(Outcome outcome, const std::string &message);
    // `operation` says what failed ("cannot read /a/b.txt"), `errorNumber` (an
    // errno value) why; the message is both: "cannot read /a/b.txt: Is a directory".
    FileError(Outcome outcome, const std::string &operation, int errorNumber);

    Outcome outcome() const { return m_outcome; }

private:
    Outcome m_outcome;
};

// The system's description of an errno value. Thread-safe, unlike strerror().
std::string describeError(int errorNumber);

} // namespace velloran
