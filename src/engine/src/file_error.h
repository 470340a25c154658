// The failure of one file, raised deep in the I/O code and turned into that
// file's FileResult by convertFile.
#pragma once

#include "velloran/engine.h"

#include <stdexcept>
#include <string>

namespace velloran {

class FileError : public std::runtime_error
{
public:
    FileError(Outcome outcome, const std::string &message);
    // `errorNumber` is an errno value; its system description becomes the message.
    FileError(Outcome outcome, int errorNumber);

    Outcome outcome() const { return m_outcome; }

private:
    Outcome m_outcome;
};

// The system's description of an errno value. Thread-safe, unlike strerror().
std::string describeError(int errorNumber);

} // namespace velloran
