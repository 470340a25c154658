// SPDX-License-Identifier: GPL-3.0-or-later
// What the command needs of the system it runs on, where POSIX and Windows
// differ: system_posix.cpp and system_windows.cpp, chosen by CMake.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Prepares the process before anything is read or written: on Windows the
// standard streams become binary (no CRLF rewriting, no end at a 0x1A byte)
// and the console shows UTF-8, as a POSIX terminal does.
void prepareStandardStreams();

// The command's arguments as UTF-8, the program's name first. Windows hands
// main() its arguments in the ANSI code page, which cannot hold every name:
// there they come from the UTF-16 command line.
std::vector<std::string> commandArguments(int argc, char **argv);

// A path from an argument, which is UTF-8 on every system.
std::filesystem::path pathFromArgument(const std::string &argument);

// Calls `cancel` with the signal's number on SIGINT and SIGTERM (Windows:
// Ctrl+C, Ctrl+Break and the console closing).
void installCancelHandlers(void (*cancel)(int));

bool isTerminal(std::FILE *stream);
// The width of the terminal behind standard error, 80 when unknown.
std::size_t terminalColumns();

// Why the command cannot write into `directory`, or nothing when it can.
std::optional<std::string> cannotWriteInto(const std::filesystem::path &directory);

// The bytes of a path's name: what the file system holds on POSIX, UTF-8 on
// Windows (where a name is UTF-16).
std::string pathBytes(const std::filesystem::path &path);

// A path as the summary and -v show it (terminalText() of its bytes), with
// the system's own separators: on Windows the backslash, which is never part
// of a name there.
std::string nameText(const std::filesystem::path &path);
