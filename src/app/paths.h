// SPDX-License-Identifier: GPL-3.0-or-later
// Paths between Qt and the engine. The engine opens what the file system
// names: the locale's bytes on POSIX systems, UTF-16 on Windows. Each system's
// conversions live in a file of their own (paths_posix.cpp, paths_windows.cpp).
#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>

// A path given as text, such as a typed output directory.
std::filesystem::path toFileSystemPath(const QString &path);

// A path given as the file system's own bytes, which need not be text in
// any encoding (a name made on another system, say).
std::filesystem::path toFileSystemPath(const QByteArray &path);

// The file system's bytes of `path`, the inverse of toFileSystemPath.
QByteArray fromFileSystemPath(const std::filesystem::path &path);
