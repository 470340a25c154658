// Throughput of velloran::convertFile, in input bytes per second:
//   bench_engine [--benchmark_repetitions=5 ...]
// The inputs are about 32 MiB of Chinese text in each source encoding, written
// to tmpfs (VELLORAN_BENCH_DIR, default /dev/shm/velloran-bench-engine, removed
// at exit). The text is made here from a fixed list of common characters that
// GB2312 and Big5 share; when VELLORAN_CORPUS names a directory made by
// bench/make_corpus.py, the first 32 MiB of its files are used instead.
// "copy" is the same file read and written without conversion: the I/O ceiling.
#include "velloran/engine.h"

#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kInputSize = 32 << 20;

// Common characters that both GB2312 and Big5 have, most frequent first.
constexpr std::string_view kHan =
    "的一是不了人我在有他中大上到子和你地出道也年得就那要下以生自去之家可她里后小么心多天而能好"
    "都然日于起成事只作想看文手十用主行方又如前所本面公同三已老知民分外但身些与高意把法此回二理美"
    "月明其种全工己儿者向情部正名定女力机等几很最新什打便位因重被走四第相次政海口使教西再平真听世"
    "气信北少并加化由代入先山五太水万市眼体才比住九笑性通目立命活神件安表原白路期叫死常提感金何更"
    "反合放做系或司利受光王果界及今京制解各任至清物台象共干接它八特望直服毛林建南度色字交算百吃科"
    "怎元社六功指思非流每青管夫跟花快院言往展近留治周保武半候七必城父步完革深即求品士量空甚技程告"
    "江英基派式李息呢极令德收党倒未持取始版越史商千片容研像找友孩站改形委早房音火首据影失拿网香似"
    "斯石若兵弟校志究包造落喜离坐集府拉黑且格布微怕母局根曾准段切克精哪官示冷域";
constexpr std::string_view kClauseEnds[] = {"，", "，", "，", "、", "；", "："};
constexpr std::string_view kLineEnds[] = {"。", "。", "。", "？", "！"};
constexpr std::string_view kAsciiWords[] = {"Qt",   "ICU",  "UTF-8", "Linux", "file", "version",
                                            "CPU",  "OK",   "2024",  "1.5",   "http", "64"};

// Lines of 10-120 characters: clauses of Chinese characters, punctuation,
// some ASCII words, LF line ends with a few CR LF. About `gbBytes` bytes in GB18030.
std::string makeText(std::size_t gbBytes)
{
    std::mt19937 random(1);
    const std::size_t hanCount = kHan.size() / 3; // three UTF-8 bytes each
    // Squaring a uniform pick favours the start of the list: frequent characters.
    auto pickHan = [&] {
        const std::size_t r = random() % hanCount;
        return kHan.substr(r * r / hanCount * 3, 3);
    };
    auto pick = [&](const auto &list) { return list[random() % std::size(list)]; };

    std::string text;
    std::size_t size = 0;
    while (size < gbBytes) {
        const std::size_t length = 10 + random() % 111;
        for (std::size_t done = 0; done < length;) {
            const std::size_t clause = 4 + random() % 11;
            for (std::size_t i = 0; i < clause; ++i)
                text += pickHan();
            size += 2 * clause;
            if (random() % 10 < 3) {
                const std::string_view word = pick(kAsciiWords);
                (text += ' ') += word;
                text += ' ';
                size += word.size() + 2;
            }
            done += clause;
            text += done < length ? pick(kClauseEnds) : pick(kLineEnds);
            size += 2;
        }
        const bool crlf = random() % 20 == 0;
        text += crlf ? "\r\n" : "\n";
        size += crlf ? 2 : 1;
    }
    return text;
}

std::string encode(const std::string &utf8, const char *encoding)
{
    std::string out(utf8.size() * 2 + 16, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        ucnv_convert(encoding, "UTF-8", out.data(), static_cast<int32_t>(out.size()), utf8.data(),
                     static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("cannot encode the text in ") + encoding);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// The first kInputSize bytes of a corpus file, ending after a line feed.
std::string corpusPrefix(const fs::path &file, bool utf16)
{
    std::ifstream in(file, std::ios::binary);
    std::string data(kInputSize, '\0');
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(in.gcount()));
    std::size_t end = data.size();
    if (utf16) {
        for (end -= end % 2; end >= 2 && !(data[end - 2] == '\n' && data[end - 1] == '\0');)
            end -= 2;
    } else {
        end = data.rfind('\n') + 1;
    }
    if (end < 2)
        throw std::runtime_error("no line end in " + file.string());
    data.resize(end);
    return data;
}

void writeFile(const fs::path &path, const std::string &data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

struct Input {
    const char *name;     // file name, as in the corpus
    const char *encoding; // ICU name, to make it from the text
};
constexpr Input kInputs[] = {{"gb18030.txt", "GB18030"},
                             {"gbk.txt", "GBK"},
                             {"big5.txt", "Big5"},
                             {"utf-8.txt", "UTF-8"},
                             {"utf-16.txt", "UTF-16LE"}};

void writeInputs(const fs::path &directory)
{
    fs::create_directories(directory / "out");
    if (const char *corpus = std::getenv("VELLORAN_CORPUS")) {
        for (const Input &input : kInputs)
            writeFile(directory / input.name,
                      corpusPrefix(fs::path(corpus) / input.name,
                                   std::string_view(input.name) == "utf-16.txt"));
        return;
    }
    const std::string text = makeText(kInputSize);
    for (const Input &input : kInputs) {
        std::string data = encode(text, input.encoding);
        if (std::string_view(input.name) == "utf-16.txt")
            data.insert(0, "\xFF\xFE"); // little-endian with a mark, as the corpus has
        writeFile(directory / input.name, data);
    }
}

struct Direction {
    const char *from;
    const char *to;
    const char *input;
};
constexpr Direction kDirections[] = {
    {"GB18030", "UTF-8", "gb18030.txt"}, {"UTF-8", "GB18030", "utf-8.txt"},
    {"Big5", "UTF-8", "big5.txt"},       {"GBK", "UTF-8", "gbk.txt"},
    {"UTF-8", "UTF-16", "utf-8.txt"},    {"UTF-16", "UTF-8", "utf-16.txt"},
};

// Each iteration writes a new output file, as a real run usually does (an
// existing one would be flushed to disk before being replaced).
void convert(benchmark::State &state, const fs::path &directory, Direction direction)
{
    const fs::path input = directory / direction.input;
    const fs::path output = directory / "out" / direction.input;
    velloran::ConvertOptions options;
    options.sourceEncoding = direction.from;
    options.targetEncoding = direction.to;
    if (state.range(0) != 0)
        options.tuning.chunkSize = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        const velloran::FileResult result = velloran::convertFile(input, output, options);
        if (result.outcome != velloran::Outcome::Converted) {
            state.SkipWithError("the file did not convert");
            break;
        }
        state.PauseTiming();
        fs::remove(output);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(input)));
}

void copy(benchmark::State &state, const fs::path &directory, const char *name)
{
    const fs::path input = directory / name;
    const fs::path output = directory / "out" / name;
    std::vector<char> buffer(velloran::kDefaultChunkSize);
    for (auto _ : state) {
        std::ifstream in(input, std::ios::binary);
        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) ||
               in.gcount() > 0)
            out.write(buffer.data(), in.gcount());
        out.close();
        state.PauseTiming();
        fs::remove(output);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(input)));
}

void registerBenchmarks(const fs::path &directory)
{
    auto configure = [](benchmark::internal::Benchmark *b) {
        b->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
    };
    for (const Direction &direction : kDirections) {
        const std::string name = std::string("convert/") + direction.from + "->" + direction.to;
        configure(benchmark::RegisterBenchmark(name.c_str(), convert, directory, direction)
                      ->Arg(0)
                      ->ArgName("default_chunk"));
    }
    // Chunk size sweep, 4 KiB to 64 MiB, on the first direction.
    configure(benchmark::RegisterBenchmark("chunk/GB18030->UTF-8", convert, directory,
                                           kDirections[0])
                  ->ArgName("chunk")
                  ->RangeMultiplier(4)
                  ->Range(4 << 10, 64 << 20));
    configure(benchmark::RegisterBenchmark("copy/gb18030", copy, directory, "gb18030.txt"));
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const char *dir = std::getenv("VELLORAN_BENCH_DIR");
    const fs::path directory = dir ? dir : "/dev/shm/velloran-bench-engine";
    try {
        writeInputs(directory);
    } catch (const std::exception &error) {
        std::cerr << "bench_engine: " << error.what() << '\n';
        return 1;
    }
    registerBenchmarks(directory);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(directory);
    return 0;
}
