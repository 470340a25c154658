// One file converted in pieces on several threads: tiny pieces (a test hook)
// must give exactly what one thread gives: the same bytes, the same outcome,
// the first error in file order with its line counted from the start.
#include "piece_boundaries.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>

namespace velloran::test {
namespace {

struct Conversion
{
    FileResult result;
    std::string output;
};

// `pieceSize` 0: one thread; otherwise three threads and pieces of that size.
Conversion convert(const ScratchDirectory &scratch, const std::string &bytes, const std::string &source,
            const std::string &target, std::size_t pieceSize,
            const std::function<void(ConvertOptions &)> &adjust = {})
{
    const fs::path input = scratch.path() / "大文件.txt";
    const fs::path output = scratch.path() / "输出.txt";
    writeBytes(input, bytes);
    fs::remove(output);
    ConvertOptions options = optionsFor(source, target);
    if (pieceSize != 0) {
        options.workers = 3;
        options.parallelFrom = 0;
        options.pieceSize = pieceSize;
    }
    if (adjust)
        adjust(options);
    Conversion run{convertFile(input, output, options), {}};
    run.output = fs::exists(output) ? readBytes(output) : std::string();
    return run;
}

std::string repeated(const std::string &text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

std::string withCrLf(const std::string &utf8)
{
    std::string text;
    for (char c : utf8)
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return text;
}

struct PieceCase
{
    std::string source;
    std::string target;
    std::string mark;
    std::string fixtureName;
};

void PrintTo(const PieceCase &c, std::ostream *os)
{
    *os << c.fixtureName << " " << c.source << " -> " << c.target;
}

class InPieces : public testing::TestWithParam<PieceCase>
{
protected:
    ScratchDirectory scratch;
};

TEST_P(InPieces, GiveExactlyWhatOneThreadGives)
{
    const PieceCase &c = GetParam();
    const std::string bytes = c.mark + repeated(fixture(c.fixtureName), 9);
    const Conversion serial = convert(scratch, bytes, c.source, c.target, 0);
    ASSERT_EQ(serial.result.outcome, Outcome::Converted);
    for (std::size_t pieceSize : {1, 2, 3, 5, 8, 13, 64, 1000}) {
        const Conversion pieces = convert(scratch, bytes, c.source, c.target, pieceSize);
        EXPECT_EQ(pieces.result.outcome, Outcome::Converted) << pieceSize;
        EXPECT_EQ(pieces.output, serial.output) << pieceSize;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, InPieces,
    testing::Values(PieceCase{"GB18030", "UTF-8", "", "wide.gb18030"},
                    PieceCase{"GB18030", "UTF-16", "", "common.gb18030"},
                    PieceCase{"GBK", "UTF-8", "", "common.gbk"},
                    PieceCase{"GB2312", "Big5", "", "common.gb2312"},
                    PieceCase{"Big5", "UTF-8", "", "common.big5"},
                    PieceCase{"UTF-8", "GB18030", "", "wide.utf-8"},
                    PieceCase{"UTF-8", "UTF-32", kUtf8Mark, "wide.utf-8"},
                    PieceCase{"UTF-16", "UTF-8", "", "wide.utf-16-le"},
                    PieceCase{"UTF-16", "GB18030", kUtf16BeMark, "wide.utf-16-be"},
                    PieceCase{"UTF-8", "UTF-8", kUtf16LeMark, "wide.utf-16-le"},
                    PieceCase{"UTF-32", "UTF-8", kUtf32BeMark, "wide.utf-32-be"},
                    PieceCase{"UTF-32", "UTF-16", "", "wide.utf-32-le"}));

TEST(Pieces, KeepCrLfWhateverThePieceEdges)
{
    ScratchDirectory scratch;
    const std::string text = withCrLf(repeated(fixture("common.utf-8"), 5));
    std::string expected;
    ASSERT_EQ(convertBytes(scratch, text, "UTF-8", "GB18030", expected).outcome,
              Outcome::Converted);
    for (std::size_t pieceSize = 1; pieceSize <= 12; ++pieceSize)
        EXPECT_EQ(convert(scratch, text, "UTF-8", "GB18030", pieceSize).output, expected);
}

TEST(Pieces, ReportTheFirstErrorInFileOrderWithItsLine)
{
    ScratchDirectory scratch;
    const std::string lines = repeated("中文\n", 20);
    // Line 21 cannot be encoded in GBK; line 41 is not valid UTF-8.
    const std::string bytes = lines + "\xF0\x9F\x98\x80\n" + lines + "\xFF\n" + lines;
    for (std::size_t pieceSize : {1, 7, 30, 200}) {
        const Conversion run = convert(scratch, bytes, "UTF-8", "GBK", pieceSize);
        EXPECT_EQ(run.result.outcome, Outcome::Unrepresentable) << pieceSize;
        EXPECT_EQ(run.result.line, 21u) << pieceSize;
        EXPECT_EQ(run.result.character, U'\U0001F600') << pieceSize;
        EXPECT_TRUE(run.output.empty());
        EXPECT_FALSE(hasTemporaryFile(scratch.path()));
    }
    const Conversion invalid = convert(scratch, lines + lines + "\xFF\n" + lines, "UTF-8", "GBK", 9);
    EXPECT_EQ(invalid.result.outcome, Outcome::InvalidSource);
    EXPECT_EQ(invalid.result.line, 41u);
}

TEST(Pieces, ReportATruncatedLastCharacter)
{
    ScratchDirectory scratch;
    const std::string bytes = repeated("\xD6\xD0\n", 30) + "\x81\x30";
    const Conversion run = convert(scratch, bytes, "GB18030", "UTF-8", 10);
    EXPECT_EQ(run.result.outcome, Outcome::InvalidSource);
    EXPECT_EQ(run.result.line, 31u);
}

TEST(Pieces, FallBackToOneThreadForAStretchWithoutLineFeeds)
{
    ScratchDirectory scratch;
    const std::string bytes = repeated("中文\n", 3) + repeated("中文", 50) + "\n" + "尾";
    const Conversion serial = convert(scratch, bytes, "UTF-8", "GB18030", 0);
    const Conversion pieces = convert(scratch, bytes, "UTF-8", "GB18030", 16);
    EXPECT_EQ(pieces.result.outcome, Outcome::Converted);
    EXPECT_EQ(pieces.output, serial.output);
    EXPECT_FALSE(hasTemporaryFile(scratch.path()));
}

TEST(Pieces, ReportProgressAndCanBeCancelled)
{
    ScratchDirectory scratch;
    const std::string bytes = repeated("中文 text\n", 500);
    std::vector<std::uint64_t> progress;
    const Conversion done = convert(scratch, bytes, "UTF-8", "GB18030", 100, [&](ConvertOptions &o) {
        o.onBytes = [&](std::uint64_t at, std::uint64_t) { progress.push_back(at); };
    });
    EXPECT_EQ(done.result.outcome, Outcome::Converted);
    ASSERT_GT(progress.size(), 10u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), bytes.size());

    std::atomic<bool> cancel{false};
    const Conversion cancelled = convert(scratch, bytes, "UTF-8", "GB18030", 100, [&](ConvertOptions &o) {
        o.cancel = &cancel;
        o.onBytes = [&](std::uint64_t, std::uint64_t) { cancel = true; };
    });
    EXPECT_EQ(cancelled.result.outcome, Outcome::Cancelled);
    EXPECT_TRUE(cancelled.output.empty());
    EXPECT_FALSE(hasTemporaryFile(scratch.path()));
}

TEST(Pieces, AreCutOnlyWhereALineFeedCannotBePartOfACharacter)
{
    const auto boundary = [](const std::string &source, const std::string &target) {
        return pieceBoundaryFor(Converter(source), Converter(target));
    };
    for (const char *source : {"GB18030", "GBK", "GB2312", "Big5", "UTF-8"}) {
        const auto found = boundary(source, "UTF-8");
        ASSERT_TRUE(found) << source;
        EXPECT_EQ(found->lineFeed, "\n");
    }
    const auto utf16 = boundary("UTF-16LE", "UTF-8");
    ASSERT_TRUE(utf16);
    EXPECT_EQ(utf16->lineFeed, std::string("\n\0", 2));
    EXPECT_EQ(utf16->unit, 2u);
    EXPECT_FALSE(boundary("UTF-7", "UTF-8"));    // "\n" inside base64 state
    EXPECT_FALSE(boundary("UTF-8", "UTF-7"));    // a stateful target
    EXPECT_FALSE(boundary("ISO-2022-JP", "UTF-8"));
    EXPECT_FALSE(boundary("UTF-16BE", "UTF-8") && boundary("UTF-16BE", "UTF-8")->unit != 2);
}

TEST(Pieces, LastBoundaryIsAlignedToTheCodeUnit)
{
    const PieceBoundary utf16{std::string("\n\0", 2), 2};
    // "\n\0" at an odd offset is the end of one unit and the start of another.
    const std::string text("\x00\n\x00\x41", 4);
    EXPECT_EQ(lastBoundary(text.data(), text.data() + text.size(), utf16), nullptr);
    const std::string aligned("A\0\n\0B\0", 6);
    EXPECT_EQ(lastBoundary(aligned.data(), aligned.data() + aligned.size(), utf16),
              aligned.data() + 4);
}

TEST(Pieces, BatchOfOneLargeFileUsesAllWorkersWithTheSameResult)
{
    ScratchDirectory scratch;
    const fs::path input = scratch.path() / "一.txt";
    const std::string bytes = repeated(fixture("wide.gb18030"), 20);
    writeBytes(input, bytes);
    BatchOptions options;
    options.sourceEncoding = "GB18030";
    options.targetEncoding = "UTF-8";
    options.outputDirectory = scratch.subdirectory("出");
    options.workers = 2;
    options.parallelFrom = 0;
    options.pieceSize = 32;
    const auto results = convertBatch({input}, options);
    ASSERT_EQ(results.at(0).outcome, Outcome::Converted);
    EXPECT_EQ(readBytes(options.outputDirectory / "一.txt"), repeated(fixture("wide.utf-8"), 20));
}

// Progress comes once per piece, but once per chunk (here the whole file)
// without pieces: so the count of reports tells which way a file went.
TEST(Pieces, AreUsedInABatchOnlyByWorkersWithoutAFileOfTheirOwn)
{
    ScratchDirectory scratch;
    const std::string bytes = repeated(fixture("wide.gb18030"), 20);
    std::vector<fs::path> inputs;
    for (const char *name : {"一.txt", "二.txt"}) {
        inputs.push_back(scratch.path() / name);
        writeBytes(inputs.back(), bytes);
    }
    BatchOptions options;
    options.sourceEncoding = "GB18030";
    options.targetEncoding = "UTF-8";
    options.outputDirectory = scratch.subdirectory("出");
    options.workers = 2;
    options.parallelFrom = 0;
    options.pieceSize = 32;
    std::atomic<int> reports{0};
    options.onBytes = [&](std::size_t, std::uint64_t, std::uint64_t) { ++reports; };

    ASSERT_EQ(convertBatch({inputs[0]}, options).at(0).outcome, Outcome::Converted);
    EXPECT_GT(reports.load(), 10);

    reports = 0;
    for (const FileResult &result : convertBatch(inputs, options))
        EXPECT_EQ(result.outcome, Outcome::Converted);
    EXPECT_EQ(reports.load(), 2);
}

} // namespace
} // namespace velloran::test
