// SPDX-License-Identifier: GPL-3.0-or-later
// File names are bytes, and bytes are not always text: how the command tells
// UTF-8 from the rest, and how it shows a name on a terminal so that the name
// can never drive it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The length of the valid UTF-8 sequence at the start of `bytes`, or 0.
std::size_t utf8SequenceLength(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

// `bytes` as the summary and -v show them, as ls quotes a name: UTF-8 text as
// it is, but every byte that is not UTF-8, every control character (C0,
// DEL, C1: ESC, CR and LF among them) and every character that reorders or
// breaks the line (the bidirectional controls, U+2028, U+2029) as \xHH for
// each of its bytes, and a backslash as \\, so that no two names look the
// same. The exact bytes are --json's.
std::string terminalText(std::string_view bytes);
