// SPDX-License-Identifier: GPL-3.0-or-later
// --list: the encodings one can name, as iconv -l lists them.
#pragma once

#include <string>

// One line per encoding, its name first and then the other names ICU knows
// it by, separated by spaces: the window's eight, then every other encoding
// ICU knows by its canonical name.
std::string encodingListText();
