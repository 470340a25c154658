// SPDX-License-Identifier: GPL-3.0-or-later
#include "samples.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace bench {

std::string readAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Corpus loadCorpus(const fs::path &path)
{
    Corpus corpus{icu::UnicodeString::fromUTF8(readAll(path)), {0}};
    for (int32_t i = 0; i < corpus.text.length(); ++i)
        if (corpus.text[i] == u'\n' && i + 1 < corpus.text.length())
            corpus.lineStarts.push_back(i + 1);
    return corpus;
}

StrictConverter::StrictConverter(const std::string &name)
{
    UErrorCode error = U_ZERO_ERROR;
    m_converter = ucnv_open(name.c_str(), &error);
    ucnv_setFromUCallBack(m_converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &error);
    ucnv_setToUCallBack(m_converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    if (U_FAILURE(error))
        throw std::runtime_error("cannot open " + name);
}

std::optional<std::string> StrictConverter::encode(const icu::UnicodeString &text)
{
    std::string bytes(4 * static_cast<std::size_t>(text.length()) + 8, '\0');
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(m_converter);
    const int32_t length =
        ucnv_fromUChars(m_converter, bytes.data(), static_cast<int32_t>(bytes.size()),
                        text.getBuffer(), text.length(), &error);
    if (U_FAILURE(error))
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

std::optional<icu::UnicodeString> StrictConverter::decode(const std::string &bytes)
{
    icu::UnicodeString text;
    UChar *buffer = text.getBuffer(static_cast<int32_t>(bytes.size()) + 8);
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(m_converter);
    const int32_t length = ucnv_toUChars(m_converter, buffer, text.getCapacity(), bytes.data(),
                                         static_cast<int32_t>(bytes.size()), &error);
    text.releaseBuffer(U_SUCCESS(error) ? length : 0);
    if (U_FAILURE(error))
        return std::nullopt;
    return text;
}

std::optional<std::string> sampleAt(const Corpus &corpus, int32_t start, std::size_t length,
                                    StrictConverter &converter)
{
    // Each character takes a byte at least.
    const int32_t available = corpus.text.countChar32(start, corpus.text.length() - start);
    const auto prefix = [&](int32_t characters) {
        return converter.encode(
            corpus.text.tempSubStringBetween(start, corpus.text.moveIndex32(start, characters)));
    };
    int32_t fits = 0;
    int32_t tooMany = std::min(available, static_cast<int32_t>(length)) + 1;
    while (tooMany - fits > 1) {
        const int32_t middle = (fits + tooMany) / 2;
        const std::optional<std::string> bytes = prefix(middle);
        (bytes && bytes->size() <= length ? fits : tooMany) = middle;
    }
    if (fits < available && !prefix(fits + 1))
        return std::nullopt;
    return prefix(fits);
}

std::string percent(int part, int whole)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", whole == 0 ? 0.0 : 100.0 * part / whole);
    return text;
}

bool readsAlike(const std::string &bytes, const std::string &reading, const std::string &answer)
{
    StrictConverter truth(reading);
    StrictConverter read(answer);
    const std::optional<icu::UnicodeString> expected = truth.decode(bytes);
    const std::optional<icu::UnicodeString> got = read.decode(bytes);
    return expected && got && *expected == *got;
}

void reportBytes(const std::string &what, const std::string &bytes)
{
    std::cerr << what << ":";
    for (unsigned char byte : bytes)
        std::fprintf(stderr, " %02X", byte);
    std::cerr << "\n";
}

} // namespace bench
