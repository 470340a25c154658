// SPDX-License-Identifier: GPL-3.0-or-later
// The hard cases of detection and of the guards: texts that strict decoding
// alone takes for Chinese, Unicode that goes on in another encoding past the
// sample, legacy text past a long ASCII start, and the like. Each sample is
// converted to UTF-8 through real files, as a run does: with the source
// "detect", and, where a case names one, with that (wrong) source in place
// (the guards refuse look-alikes) and into another folder (they warn).
//
//     detect_hard_cases TEXT_DIR [SAMPLES_PER_CELL] [WORK_DIR]
//
// TEXT_DIR holds what bench/detect/accuracy.sh extracts: zh_CN.txt,
// zh_TW.txt and en.txt (translations), man-zh_CN.txt, man-fr.txt and
// man-de.txt (manual pages). A conversion is right when its output is the
// text the sample was made of; a case without such a text has no right
// conversion. Prints the table in Markdown; every wrong conversion, with its
// bytes, on the error stream.
#include "samples.h"
#include "velloran/engine.h"

#include <fstream>
#include <functional>
#include <iostream>
#include <random>

namespace fs = std::filesystem;

namespace {

using bench::Corpus;
using bench::percent;
using bench::StrictConverter;

enum class Text
{
    Simplified,
    Traditional,
    English,
    SimplifiedManuals,
    French,
    German,
};

// Some text: its bytes, and the text as UTF-8 when one conversion is right.
struct Made
{
    std::string bytes;
    std::optional<std::string> truth;
};

class Maker
{
public:
    Maker(const fs::path &texts, std::mt19937 &random) : m_random(random)
    {
        for (const char *name :
             {"zh_CN.txt", "zh_TW.txt", "en.txt", "man-zh_CN.txt", "man-fr.txt", "man-de.txt"})
            m_corpora.push_back(bench::loadCorpus(texts / name));
    }

    // Up to `length` bytes of a corpus in `encoding`, from a random line,
    // and their text as UTF-8.
    Made piece(Text text, const std::string &encoding, std::size_t length)
    {
        const Corpus &corpus = m_corpora[static_cast<std::size_t>(text)];
        StrictConverter converter(encoding);
        std::uniform_int_distribution<std::size_t> line(0, corpus.lineStarts.size() - 1);
        for (int tries = 0; tries < 100; ++tries) {
            const std::optional<std::string> bytes =
                bench::sampleAt(corpus, corpus.lineStarts[line(m_random)], length, converter);
            if (!bytes || bytes->size() + 4 < length)
                continue;
            std::string utf8;
            converter.decode(*bytes)->toUTF8String(utf8);
            return {*bytes, utf8};
        }
        return {};
    }

    std::size_t below(std::size_t limit)
    {
        return std::uniform_int_distribution<std::size_t>(0, limit - 1)(m_random);
    }

private:
    std::mt19937 &m_random;
    std::vector<Corpus> m_corpora;
};

Made joined(const Made &first, const Made &second)
{
    return {first.bytes + second.bytes, first.truth && second.truth
                                            ? std::optional(*first.truth + *second.truth)
                                            : std::nullopt};
}

Made withoutTruth(Made made)
{
    made.truth.reset();
    return made;
}

struct HardCase
{
    std::string name;
    std::string source; // a wrong source the guards must catch; empty for none
    std::vector<std::size_t> lengths;
    std::function<Made(Maker &, std::size_t length)> make;
};

const std::vector<std::size_t> kLengths = {50, 200, 1024, 10240, 102400};
const std::vector<std::size_t> kLarge = {102400, 204800};

// English, then text of `family` written in `encoding`.
HardCase afterEnglish(const std::string &name, std::size_t english, Text text,
                      const std::string &encoding, const std::string &source,
                      const std::vector<std::size_t> &lengths)
{
    return {name, source, lengths, [=](Maker &maker, std::size_t length) {
                return joined(maker.piece(Text::English, "US-ASCII", english),
                              maker.piece(text, encoding, length - english));
            }};
}

// Chinese text in UTF-16LE drawn in a table of box-drawing characters.
Made inBoxes(Maker &maker, std::size_t length)
{
    Made text = maker.piece(Text::Simplified, "UTF-8", length / 3);
    std::string boxed = "┌────────────┐\n";
    for (std::size_t at = 0, end; at < text.truth->size(); at = end + 1) {
        end = std::min(text.truth->find('\n', at), text.truth->size());
        boxed += "│ " + text.truth->substr(at, end - at) + " │\n├────────────┤\n";
    }
    StrictConverter utf16("UTF-16LE");
    return {*utf16.encode(icu::UnicodeString::fromUTF8(boxed)), boxed};
}

const std::vector<HardCase> &hardCases()
{
    static const std::vector<HardCase> cases = {
        afterEnglish("Big5 after 500 B of English", 500, Text::Traditional, "Big5", "GBK",
                     {1024, 10240, 102400}),
        afterEnglish("GBK after 500 B of English", 500, Text::Simplified, "GBK", "Big5",
                     {1024, 10240, 102400}),
        {"French in ISO-8859-1", "GBK", kLengths,
         [](Maker &maker, std::size_t length) {
             return maker.piece(Text::French, "ISO-8859-1", length);
         }},
        {"German in windows-1252", "GBK", kLengths,
         [](Maker &maker, std::size_t length) {
             return maker.piece(Text::German, "windows-1252", length);
         }},
        {"French in UTF-8", "GBK", kLengths,
         [](Maker &maker, std::size_t length) {
             return maker.piece(Text::French, "UTF-8", length);
         }},
        {"GBK with a lone 0xFF", "GBK", kLengths,
         [](Maker &maker, std::size_t length) {
             Made made = withoutTruth(maker.piece(Text::Simplified, "GBK", length - 1));
             const std::size_t feed = made.bytes.find('\n');
             const std::size_t at = feed == std::string::npos ? 0 : feed + 1;
             made.bytes = made.bytes.substr(0, at) + "\xFF" + made.bytes.substr(at);
             return made;
         }},
        {"GBK and UTF-8 mixed", "GBK", kLengths,
         [](Maker &maker, std::size_t length) {
             return withoutTruth(joined(maker.piece(Text::Simplified, "GBK", length / 2),
                                        maker.piece(Text::Simplified, "UTF-8", length / 2)));
         }},
        {"GBK manual pages and UTF-8 mixed", "GBK", kLengths,
         [](Maker &maker, std::size_t length) {
             return withoutTruth(joined(maker.piece(Text::SimplifiedManuals, "UTF-8", length / 2),
                                        maker.piece(Text::SimplifiedManuals, "GBK", length / 2)));
         }},
        {"UTF-16LE, then GBK past 64 KiB", "", kLarge,
         [](Maker &maker, std::size_t length) {
             return withoutTruth(joined(maker.piece(Text::English, "UTF-16LE", 70000),
                                        maker.piece(Text::Simplified, "GBK", length - 70000)));
         }},
        {"UTF-16LE with 5 % GBK",
         "",
         {1024, 10240, 102400},
         [](Maker &maker, std::size_t length) {
             return withoutTruth(joined(maker.piece(Text::English, "UTF-16LE", length * 19 / 20),
                                        maker.piece(Text::Simplified, "GBK", length / 20)));
         }},
        {"ASCII with one NUL byte", "", kLengths,
         [](Maker &maker, std::size_t length) {
             Made made = maker.piece(Text::English, "US-ASCII", length);
             const std::size_t at = maker.below(made.bytes.size());
             made.bytes[at] = '\0';
             (*made.truth)[at] = '\0';
             return made;
         }},
        {"HZ", "", kLengths,
         [](Maker &maker, std::size_t length) {
             return maker.piece(Text::Simplified, "HZ", length);
         }},
        afterEnglish("48 KiB of English, then Big5", 48 << 10, Text::Traditional, "Big5", "",
                     kLarge),
        afterEnglish("88 KiB of English, then Big5", 88 << 10, Text::Traditional, "Big5", "",
                     kLarge),
        afterEnglish("88 KiB of English, then GBK", 88 << 10, Text::Simplified, "GBK", "", kLarge),
        {"UTF-16LE with box drawing", "", kLengths, inBoxes},
    };
    return cases;
}

struct Tally
{
    int right = 0;   // converted into the text
    int refused = 0; // not converted
    int warned = 0;  // converted into other text, with a warning
    int wrong = 0;   // converted into other text, nothing said
    int total() const { return right + refused + warned + wrong; }
};

// Converts `file` to UTF-8 and tallies what came of it.
void convertAndTally(const fs::path &file, const Made &made, const std::string &source,
                     bool inPlace, const std::string &what, Tally &tally)
{
    velloran::ConvertOptions options;
    options.source = velloran::resolveSource(source);
    options.target = velloran::resolveEncoding("UTF-8");
    options.refuseLookalikes = inPlace;
    const fs::path output = file.parent_path() / "输出.txt";
    const velloran::FileResult result = velloran::convertFile(file, output, options);
    if (result.outcome != velloran::Outcome::Converted) {
        ++tally.refused;
        return;
    }
    const std::string written = bench::readAll(output);
    fs::remove(output);
    if (made.truth && written == *made.truth)
        ++tally.right;
    else if (!result.likely.empty())
        ++tally.warned;
    else {
        ++tally.wrong;
        bench::reportBytes(what + " from " + source + " converted as " + result.encoding,
                           made.bytes.substr(0, 400));
    }
}

std::string row(const Tally &tally, bool withWarnings)
{
    const int total = tally.total();
    return percent(tally.right, total) + " | " + percent(tally.refused, total) + " | " +
           (withWarnings ? percent(tally.warned, total) + " | " : "") + percent(tally.wrong, total);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::cerr << "usage: detect_hard_cases TEXT_DIR [SAMPLES] [WORK_DIR]\n";
        return 2;
    }
    const int samples = argc > 2 ? std::stoi(argv[2]) : 200;
    const fs::path work = fs::path(argc > 3 ? argv[3] : "/tmp") / "velloran-hard-cases";
    fs::create_directories(work);
    std::mt19937 random(20261209);
    Maker maker(argv[1], random);
    std::cout << "| case | bytes | samples | detect: right | undecided | wrong "
                 "| named, in place: right | refused | silently wrong "
                 "| into a folder: right | refused | warned | silently wrong |\n"
                 "|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
    for (const HardCase &hard : hardCases()) {
        for (const std::size_t length : hard.lengths) {
            Tally detect;
            Tally inPlace;
            Tally intoFolder;
            for (int i = 0; i < samples; ++i) {
                const Made made = hard.make(maker, length);
                if (made.bytes.empty())
                    continue;
                const fs::path file = work / ("样本 " + std::to_string(i) + ".txt");
                std::ofstream(file, std::ios::binary) << made.bytes;
                convertAndTally(file, made, "detect", false, hard.name, detect);
                if (!hard.source.empty()) {
                    convertAndTally(file, made, hard.source, true, hard.name + " in place",
                                    inPlace);
                    convertAndTally(file, made, hard.source, false, hard.name, intoFolder);
                }
                fs::remove(file);
            }
            std::cout << "| " << hard.name << " | " << length << " | " << detect.total() << " | "
                      << row(detect, false) << " | "
                      << (hard.source.empty() ? "| | | | | |"
                                              : row(inPlace, false) + " | " + row(intoFolder, true))
                      << " |\n";
        }
    }
    fs::remove_all(work);
    return 0;
}
