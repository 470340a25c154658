// SPDX-License-Identifier: GPL-3.0-or-later
// What the detection benchmarks share: corpora of real text (UTF-8, one
// message or line per line), samples of them written in an encoding, and
// strict conversions to write and read them.
#pragma once

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bench {

namespace fs = std::filesystem;

std::string readAll(const fs::path &path);

// The corpus as UTF-16, and where its lines start.
struct Corpus
{
    icu::UnicodeString text;
    std::vector<int32_t> lineStarts;
};

Corpus loadCorpus(const fs::path &path);

class StrictConverter
{
public:
    explicit StrictConverter(const std::string &name);
    ~StrictConverter() { ucnv_close(m_converter); }
    StrictConverter(const StrictConverter &) = delete;
    StrictConverter &operator=(const StrictConverter &) = delete;

    std::optional<std::string> encode(const icu::UnicodeString &text);
    std::optional<icu::UnicodeString> decode(const std::string &bytes);

private:
    UConverter *m_converter = nullptr;
};

// The longest run of whole characters from `start` that encodes into at most
// `length` bytes, encoded as one text (so that ISO-2022-JP and UTF-7 switch
// between their modes as in a file); nothing when a character up to the
// first that does not fit cannot be encoded.
std::optional<std::string> sampleAt(const Corpus &corpus, int32_t start, std::size_t length,
                                    StrictConverter &converter);

std::string percent(int part, int whole);

// Whether `bytes` read the same in `answer` as in `reading`.
bool readsAlike(const std::string &bytes, const std::string &reading, const std::string &answer);

// Wrong answers go to the error stream, to be looked at.
void reportBytes(const std::string &what, const std::string &bytes);

} // namespace bench
