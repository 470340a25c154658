// SPDX-License-Identifier: GPL-3.0-or-later
// The texts about the command itself: --help, --version and the manual page
// (roff, written at build time by the hidden option --man). All of them come
// from the option table and the paragraphs in manual.cpp.
#pragma once

#include <string>

std::string helpText();
std::string versionText();
std::string manualPage();
