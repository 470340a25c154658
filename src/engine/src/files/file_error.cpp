// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_error.h"

#include <system_error>

namespace velloran {

FileError::FileError(Outcome outcome, const std::string &message)
    : std::runtime_error(message), m_outcome(outcome)
{
}

FileError::FileError(Outcome outcome, const std::string &operation, int errorNumber)
    : FileError(outcome, operation + ": " + describeError(errorNumber))
{
}

std::string describeError(int errorNumber)
{
    return std::generic_category().message(errorNumber);
}

} // namespace velloran
