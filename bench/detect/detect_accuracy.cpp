// SPDX-License-Identifier: GPL-3.0-or-later
// Accuracy of velloran::detectEncoding on a labelled set made here: samples of
// real text (UTF-8 corpora, one message per line: Chinese, Japanese, Korean
// and English) written in each encoding at several lengths, each detected
// through a real file. An answer is right when the file reads as the same
// text in it as in its label, so ASCII-only samples read as UTF-8 and GB2312
// read as GB18030 count as right. Then the guards of a run from a named
// Chinese source, on the Chinese samples: converted from the other family,
// is the mismatch named; converted from their own, is one named wrongly?
//
//     detect_accuracy TEXT_DIR [SAMPLES_PER_CELL] [WORK_DIR]
//
// TEXT_DIR holds zh_CN.txt, zh_TW.txt, ja.txt, ko.txt and en.txt, and the
// manual pages' man-zh_CN.txt and man-zh_TW.txt. Prints the
// tables in Markdown; every wrong answer and missed mismatch, with its
// bytes, on the error stream.
#include "samples.h"
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

using bench::Corpus;
using bench::percent;
using bench::readsAlike;
using bench::reportBytes;
using bench::StrictConverter;

// The corpora, by the file each is read from.
enum class Text
{
    Simplified,
    Traditional,
    Japanese,
    Korean,
    English,
    SimplifiedManuals,
    TraditionalManuals,
    Count
};
const char *const kTextFiles[] = {"zh_CN.txt", "zh_TW.txt",     "ja.txt",       "ko.txt",
                                  "en.txt",    "man-zh_CN.txt", "man-zh_TW.txt"};

struct Label
{
    std::string name;     // as shown in the table
    std::string encoding; // ICU name the sample is written in
    std::string reading;  // the encoding a right answer reads it as
    std::string mark;     // bytes before the text
    Text text;            // which corpus the text comes from
    // Rows added with the classes detection must not guess in: summed apart,
    // so that the first summary compares with earlier tables.
    bool added = false;
    // A legacy Chinese family whose guards are measured too: "GB18030" or "Big5".
    std::string family = {};
    bool fromManuals() const
    {
        return text == Text::SimplifiedManuals || text == Text::TraditionalManuals;
    }
};

const std::vector<Label> kLabels = {
    {"GB18030", "GB18030", "GB18030", "", Text::Simplified, false, "GB18030"},
    {"GBK", "GBK", "GB18030", "", Text::Simplified, false, "GB18030"},
    {"GB2312", "GB2312", "GB18030", "", Text::Simplified, false, "GB18030"},
    {"GBK (traditional text)", "GBK", "GB18030", "", Text::Traditional, false, "GB18030"},
    {"Big5", "Big5", "Big5", "", Text::Traditional, false, "Big5"},
    {"UTF-8", "UTF-8", "UTF-8", "", Text::Simplified},
    {"UTF-8 (traditional text)", "UTF-8", "UTF-8", "", Text::Traditional},
    {"UTF-16LE", "UTF-16LE", "UTF-16LE", "", Text::Simplified},
    {"UTF-16LE with mark", "UTF-16LE", "UTF-16LE", "\xFF\xFE", Text::Simplified},
    {"UTF-16BE with mark", "UTF-16BE", "UTF-16BE", "\xFE\xFF", Text::Simplified},
    // Unicode without the mark that would name it, and what lies outside the
    // eight encodings: Japanese and Korean.
    {"UTF-16BE", "UTF-16BE", "UTF-16BE", "", Text::Simplified, true},
    {"UTF-16BE (English)", "UTF-16BE", "UTF-16BE", "", Text::English, true},
    {"UTF-32LE (English)", "UTF-32LE", "UTF-32LE", "", Text::English, true},
    {"UTF-32BE (English)", "UTF-32BE", "UTF-32BE", "", Text::English, true},
    {"UTF-7", "UTF-7", "UTF-7", "", Text::Simplified, true},
    {"EUC-JP", "EUC-JP", "EUC-JP", "", Text::Japanese, true},
    {"Shift_JIS", "Shift_JIS", "Shift_JIS", "", Text::Japanese, true},
    {"ISO-2022-JP", "ISO-2022-JP", "ISO-2022-JP", "", Text::Japanese, true},
    {"EUC-KR", "EUC-KR", "EUC-KR", "", Text::Korean, true},
    // Chinese from manual pages, running text rather than messages (last, so
    // that the rows above keep their samples).
    {"GBK (manual pages)", "GBK", "GB18030", "", Text::SimplifiedManuals, false, "GB18030"},
    {"Big5 (manual pages)", "Big5", "Big5", "", Text::TraditionalManuals, false, "Big5"},
    {"UTF-16LE (manual pages)", "UTF-16LE", "UTF-16LE", "", Text::SimplifiedManuals},
};

const std::vector<std::size_t> kLengths = {20, 50, 200, 1024, 10240};

struct Counts
{
    int right = 0;
    int undecided = 0;
    int wrong = 0;
    int total() const { return right + undecided + wrong; }
    void add(const Counts &other)
    {
        right += other.right;
        undecided += other.undecided;
        wrong += other.wrong;
    }
};

// What the guards made of the samples of a legacy Chinese encoding.
struct GuardCounts
{
    // Converted from the other family:
    int named = 0;   // converted, the mismatch named (FileResult::likely)
    int refused = 0; // not converted (it does not decode there)
    int missed = 0;  // converted into other text, nothing named
    int alike = 0;   // converted into the same text (ASCII only, say)
    // Converted from its own family, and the other named all the same:
    int falseAlarms = 0;
    int total() const { return named + refused + missed + alike; }
};

void measureDetection(const std::string &bytes, const Label &label, const fs::path &file,
                      Counts &counts)
{
    const velloran::Detection detection = velloran::detectEncoding(file);
    if (!detection.encoding) {
        ++counts.undecided;
    } else if (readsAlike(bytes, label.reading, *detection.encoding)) {
        ++counts.right;
    } else {
        ++counts.wrong;
        reportBytes(label.name + " read as " + *detection.encoding + " (confidence " +
                        std::to_string(detection.confidence) + ")",
                    bytes);
    }
}

velloran::FileResult convertFrom(const fs::path &file, const std::string &source)
{
    velloran::ConvertOptions options;
    options.source = velloran::resolveSource(source);
    options.target = velloran::resolveEncoding("UTF-8");
    options.discardOutput = true;
    return velloran::convertFile(file, file.parent_path() / "unused", options);
}

void measureGuards(const std::string &bytes, const Label &label, const fs::path &file,
                   GuardCounts &counts)
{
    const std::string other = label.family == "Big5" ? "GB18030" : "Big5";
    const velloran::FileResult wrong = convertFrom(file, other);
    if (wrong.outcome != velloran::Outcome::Converted) {
        ++counts.refused;
    } else if (wrong.likely == label.family) {
        ++counts.named;
    } else if (readsAlike(bytes, label.reading, other)) {
        ++counts.alike;
    } else {
        ++counts.missed;
        reportBytes(label.name + " from " + other + ", not named", bytes);
    }
    if (!convertFrom(file, label.encoding).likely.empty()) {
        ++counts.falseAlarms;
        reportBytes(label.name + " from " + label.encoding + ", named as the other family", bytes);
    }
}

struct Cell
{
    Counts detection;
    GuardCounts guards;
};

Cell measureCell(const Corpus &corpus, const Label &label, std::size_t length, int samples,
                 const fs::path &work, std::mt19937 &random)
{
    StrictConverter converter(label.encoding);
    Cell cell;
    std::uniform_int_distribution<std::size_t> line(0, corpus.lineStarts.size() - 1);
    for (int made = 0, tries = 0; made < samples && tries < samples * 50; ++tries) {
        const std::optional<std::string> text = bench::sampleAt(
            corpus, corpus.lineStarts[line(random)], length - label.mark.size(), converter);
        if (!text || text->size() + label.mark.size() + 4 < length)
            continue; // unencodable, or too near the end of the corpus
        const std::string bytes = label.mark + *text;
        const fs::path file = work / ("样本 " + std::to_string(made) + ".txt");
        std::ofstream(file, std::ios::binary) << bytes;
        measureDetection(bytes, label, file, cell.detection);
        if (!label.family.empty())
            measureGuards(bytes, label, file, cell.guards);
        fs::remove(file);
        ++made;
    }
    return cell;
}

void printSummary(const std::string &title, const std::vector<Counts> &byLength)
{
    std::cout << "\n"
              << title << "\n\n| bytes | samples | right | undecided | wrong |\n"
              << "|---|---|---|---|---|\n";
    for (std::size_t i = 0; i < kLengths.size(); ++i)
        std::cout << "| " << kLengths[i] << " | " << byLength[i].total() << " | "
                  << percent(byLength[i].right, byLength[i].total()) << " | "
                  << percent(byLength[i].undecided, byLength[i].total()) << " | "
                  << percent(byLength[i].wrong, byLength[i].total()) << " |\n";
}

void printGuardRow(const Label &label, std::size_t length, const GuardCounts &counts)
{
    const int total = counts.total();
    std::cout << "| " << label.name << " | " << length << " | " << percent(counts.named, total)
              << " | " << percent(counts.refused, total) << " | " << percent(counts.alike, total)
              << " | " << percent(counts.missed, total) << " | "
              << percent(counts.falseAlarms, total) << " |\n";
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::cerr << "usage: detect_accuracy TEXT_DIR [SAMPLES] [WORK_DIR]\n";
        return 2;
    }
    std::vector<Corpus> corpora;
    for (const char *name : kTextFiles)
        corpora.push_back(bench::loadCorpus(fs::path(argv[1]) / name));
    const int samples = argc > 2 ? std::stoi(argv[2]) : 200;
    const fs::path work = fs::path(argc > 3 ? argv[3] : "/tmp") / "velloran-detect-accuracy";
    fs::create_directories(work);
    std::mt19937 random(20261208);

    std::vector<Counts> chinese(kLengths.size());
    std::vector<Counts> added(kLengths.size());
    std::vector<Counts> manuals(kLengths.size());
    std::vector<std::pair<const Label *, std::vector<GuardCounts>>> guards;
    std::cout << "| encoding | bytes | right | undecided | wrong |\n|---|---|---|---|---|\n";
    for (const Label &label : kLabels) {
        std::vector<GuardCounts> guardCells;
        for (std::size_t i = 0; i < kLengths.size(); ++i) {
            const Cell cell = measureCell(corpora[static_cast<std::size_t>(label.text)], label,
                                          kLengths[i], samples, work, random);
            const Counts &counts = cell.detection;
            std::cout << "| " << label.name << " | " << kLengths[i] << " | "
                      << percent(counts.right, counts.total()) << " | "
                      << percent(counts.undecided, counts.total()) << " | "
                      << percent(counts.wrong, counts.total()) << " |\n";
            (label.added ? added : label.fromManuals() ? manuals : chinese)[i].add(counts);
            guardCells.push_back(cell.guards);
        }
        if (!label.family.empty())
            guards.emplace_back(&label, guardCells);
    }
    printSummary(
        "Chinese messages in the eight encodings (the rows above the UTF-16BE without a mark, "
        "but those of manual pages):",
        chinese);
    printSummary("The rows of manual pages:", manuals);
    printSummary("The classes below them:", added);

    std::cout << "\nThe guards, converting from the other family (named, refused, alike, "
                 "missed) and from the right one (false alarms):\n\n"
                 "| encoding | bytes | named | refused | alike | missed | false alarms |\n"
                 "|---|---|---|---|---|---|---|\n";
    for (const auto &[label, cells] : guards)
        for (std::size_t i = 0; i < kLengths.size(); ++i)
            printGuardRow(*label, kLengths[i], cells[i]);
    fs::remove_all(work);
    return 0;
}
