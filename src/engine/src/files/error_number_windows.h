// SPDX-License-Identifier: GPL-3.0-or-later
// Windows reports failures as its own error codes (GetLastError()), the
// engine as errno values: file_system.h promises errno like the POSIX calls,
// FileError describes errno values, and freeName() takes EEXIST for a name in
// use.
#pragma once

namespace velloran::files {

// The errno value that says what `windowsError` (a DWORD, as GetLastError()
// returns it) says; EIO for codes no errno value matches.
int errorNumberOf(unsigned long windowsError);

} // namespace velloran::files
