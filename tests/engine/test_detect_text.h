// SPDX-License-Identifier: GPL-3.0-or-later
// Real text for the detection tests (fixtures/detect), written in any
// encoding, whole, cut to a length, or as a single word.
#pragma once

#include <cstddef>
#include <string>

namespace velloran::test {

// Simplified and traditional Chinese, English, Japanese and Korean, as UTF-8.
const std::string &simplified();
const std::string &traditional();
const std::string &english();
const std::string &japanese();
const std::string &korean();

// `utf8` written in `encoding`; the test fails if a character does not fit.
std::string encoded(const std::string &utf8, const std::string &encoding);

// `bytes` in `encoding` read as UTF-8 text.
std::string decoded(const std::string &bytes, const std::string &encoding);

// The longest start of `utf8`, repeated as often as needed, that takes at
// most `length` bytes in `encoding`, cut between characters.
std::string encodedStart(const std::string &utf8, const std::string &encoding, std::size_t length);

// The first two Han characters in a row of `text`: a word of it.
std::string firstWord(const std::string &text);

// That word alone, in `encoding`.
std::string twoCharacters(const std::string &text, const std::string &encoding);

// The English text with one Chinese word in its middle, in `encoding`.
std::string englishWithOneChineseWord(const std::string &encoding);

} // namespace velloran::test
