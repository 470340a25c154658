// Accuracy of velloran::detectEncoding on a labelled set made here: samples of
// real Chinese text (UTF-8 corpora, one message per line) written in each
// encoding at several lengths, each detected through a real file. An answer
// is right when the file reads as the same text in it as in its label, so
// ASCII-only samples read as UTF-8 and GB2312 read as GB18030 count as right.
//
//     detect_accuracy SIMPLIFIED.txt TRADITIONAL.txt [SAMPLES_PER_CELL] [WORK_DIR]
//
// Prints the table in Markdown; every wrong answer, with its bytes, on the error stream.
#include "velloran/engine.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Label
{
    std::string name;     // as shown in the table
    std::string encoding; // ICU name the sample is written in
    std::string reading;  // the encoding a right answer reads it as
    std::string mark;     // bytes before the text
    bool traditional;     // which corpus the text comes from
};

const std::vector<Label> kLabels = {
    {"GB18030", "GB18030", "GB18030", "", false},
    {"GBK", "GBK", "GB18030", "", false},
    {"GB2312", "GB2312", "GB18030", "", false},
    {"GBK (traditional text)", "GBK", "GB18030", "", true},
    {"Big5", "Big5", "Big5", "", true},
    {"UTF-8", "UTF-8", "UTF-8", "", false},
    {"UTF-8 (traditional text)", "UTF-8", "UTF-8", "", true},
    {"UTF-16LE", "UTF-16LE", "UTF-16LE", "", false},
    {"UTF-16LE with mark", "UTF-16LE", "UTF-16LE", "\xFF\xFE", false},
    {"UTF-16BE with mark", "UTF-16BE", "UTF-16BE", "\xFE\xFF", false},
};

const std::vector<std::size_t> kLengths = {20, 50, 200, 1024, 10240};

std::string readAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The corpus as UTF-16, and where its lines start.
struct Corpus
{
    icu::UnicodeString text;
    std::vector<int32_t> lineStarts;
};

Corpus loadCorpus(const fs::path &path)
{
    Corpus corpus{icu::UnicodeString::fromUTF8(readAll(path)), {0}};
    for (int32_t i = 0; i < corpus.text.length(); ++i)
        if (corpus.text[i] == u'\n' && i + 1 < corpus.text.length())
            corpus.lineStarts.push_back(i + 1);
    return corpus;
}

class StrictConverter
{
public:
    explicit StrictConverter(const std::string &name)
    {
        UErrorCode error = U_ZERO_ERROR;
        m_converter = ucnv_open(name.c_str(), &error);
        ucnv_setFromUCallBack(m_converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &error);
        ucnv_setToUCallBack(m_converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                            &error);
        if (U_FAILURE(error))
            throw std::runtime_error("cannot open " + name);
    }
    ~StrictConverter() { ucnv_close(m_converter); }
    StrictConverter(const StrictConverter &) = delete;
    StrictConverter &operator=(const StrictConverter &) = delete;

    std::optional<std::string> encode(const icu::UnicodeString &text)
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

    std::optional<icu::UnicodeString> decode(const std::string &bytes)
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

private:
    UConverter *m_converter = nullptr;
};

// The longest run of whole characters from `start` that encodes into at most
// `length` bytes; nothing when a character cannot be encoded.
std::optional<std::string> sampleAt(const Corpus &corpus, int32_t start, std::size_t length,
                                    StrictConverter &converter)
{
    std::string bytes;
    for (int32_t i = start; i < corpus.text.length();) {
        const int32_t next = corpus.text.moveIndex32(i, 1);
        const std::optional<std::string> piece =
            converter.encode(corpus.text.tempSubStringBetween(i, next));
        if (!piece)
            return std::nullopt;
        if (bytes.size() + piece->size() > length)
            break;
        bytes += *piece;
        i = next;
    }
    return bytes;
}

struct Counts
{
    int right = 0;
    int undecided = 0;
    int wrong = 0;
    int total() const { return right + undecided + wrong; }
};

std::string percent(int part, int whole)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", whole == 0 ? 0.0 : 100.0 * part / whole);
    return text;
}

bool isRight(const std::string &bytes, const Label &label, const std::string &answer)
{
    StrictConverter truth(label.reading);
    StrictConverter read(answer);
    const std::optional<icu::UnicodeString> expected = truth.decode(bytes);
    const std::optional<icu::UnicodeString> got = read.decode(bytes);
    return expected && got && *expected == *got;
}

// Wrong answers go to the error stream, to be looked at.
void reportWrong(const Label &label, const std::string &bytes, const velloran::Detection &detection)
{
    std::cerr << label.name << " read as " << detection.encoding << " (confidence "
              << detection.confidence << "):";
    for (unsigned char byte : bytes)
        std::fprintf(stderr, " %02X", byte);
    std::cerr << "\n";
}

Counts measureCell(const Corpus &corpus, const Label &label, std::size_t length, int samples,
                   const fs::path &work, std::mt19937 &random)
{
    StrictConverter converter(label.encoding);
    Counts counts;
    std::uniform_int_distribution<std::size_t> line(0, corpus.lineStarts.size() - 1);
    for (int made = 0, tries = 0; made < samples && tries < samples * 50; ++tries) {
        const std::optional<std::string> text = sampleAt(corpus, corpus.lineStarts[line(random)],
                                                         length - label.mark.size(), converter);
        if (!text || text->size() + label.mark.size() + 4 < length)
            continue; // unencodable, or too near the end of the corpus
        const std::string bytes = label.mark + *text;
        const fs::path file = work / ("样本 " + std::to_string(made) + ".txt");
        std::ofstream(file, std::ios::binary) << bytes;
        const velloran::Detection detection = velloran::detectEncoding(file);
        fs::remove(file);
        ++made;
        if (detection.encoding.empty())
            ++counts.undecided;
        else if (isRight(bytes, label, detection.encoding))
            ++counts.right;
        else {
            ++counts.wrong;
            reportWrong(label, bytes, detection);
        }
    }
    return counts;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::cerr << "usage: detect_accuracy SIMPLIFIED.txt TRADITIONAL.txt [SAMPLES] [WORK_DIR]\n";
        return 2;
    }
    const Corpus simplified = loadCorpus(argv[1]);
    const Corpus traditional = loadCorpus(argv[2]);
    const int samples = argc > 3 ? std::stoi(argv[3]) : 200;
    const fs::path work = fs::path(argc > 4 ? argv[4] : "/tmp") / "velloran-detect-accuracy";
    fs::create_directories(work);
    std::mt19937 random(20261208);

    std::vector<Counts> byLength(kLengths.size());
    std::cout << "| encoding | bytes | right | undecided | wrong |\n|---|---|---|---|---|\n";
    for (const Label &label : kLabels) {
        for (std::size_t i = 0; i < kLengths.size(); ++i) {
            const Counts counts = measureCell(label.traditional ? traditional : simplified, label,
                                              kLengths[i], samples, work, random);
            std::cout << "| " << label.name << " | " << kLengths[i] << " | "
                      << percent(counts.right, counts.total()) << " | "
                      << percent(counts.undecided, counts.total()) << " | "
                      << percent(counts.wrong, counts.total()) << " |\n";
            byLength[i].right += counts.right;
            byLength[i].undecided += counts.undecided;
            byLength[i].wrong += counts.wrong;
        }
    }
    std::cout << "\n| bytes | samples | right | undecided | wrong |\n|---|---|---|---|---|\n";
    for (std::size_t i = 0; i < kLengths.size(); ++i)
        std::cout << "| " << kLengths[i] << " | " << byLength[i].total() << " | "
                  << percent(byLength[i].right, byLength[i].total()) << " | "
                  << percent(byLength[i].undecided, byLength[i].total()) << " | "
                  << percent(byLength[i].wrong, byLength[i].total()) << " |\n";
    fs::remove_all(work);
    return 0;
}
