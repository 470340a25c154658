// SPDX-License-Identifier: GPL-3.0-or-later
// One file converted in pieces on several threads: tiny pieces (a test hook)
// must give exactly what one thread gives: the same bytes, the same outcome,
// the first error in file order with its line counted from the start.
#include "codec/piece_boundaries.h"
#include "test_detect_text.h"
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
Conversion convert(const ScratchDirectory &scratch, const std::string &bytes,
                   const std::string &source, const std::string &target, std::size_t pieceSize,
                   const Adjust &adjust = {})
{
    Conversion run;
    run.result = convertBytes(scratch, bytes, source, target, run.output, kDefaultChunkSize,
                              [&](ConvertOptions &options) {
                                  if (pieceSize != 0) {
                                      options.workers = 3;
                                      options.tuning.parallelFrom = 0;
                                      options.tuning.pieceSize = pieceSize;
                                  }
                                  if (adjust)
                                      adjust(options);
                              });
    return run;
}

struct PieceCase
{
    std::string source;
    std::string target;
    std::string mark;
    std::string fixtureName;
};

// The small pieces hold no line feed at times: those stretches fall back to
// one thread.

using InPieces = ScratchTest<PieceCase>;

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
        EXPECT_FALSE(hasTemporaryFile(scratch.path()));
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

TEST(Pieces, ReportTheFirstErrorInFileOrderWithItsLine)
{
    ScratchDirectory scratch;
    const std::string lines = repeated("中文\n", 20);
    const struct
    {
        std::string bytes, source;
        Outcome outcome;
        std::uint64_t line;
        char32_t character;
    } cases[] = {
        // Line 21 cannot be encoded in GBK; line 41 is not valid UTF-8.
        {lines + "\xF0\x9F\x98\x80\n" + lines + "\xFF\n" + lines, "UTF-8", Outcome::Unrepresentable,
         21, U'\U0001F600'},
        {lines + lines + "\xFF\n" + lines, "UTF-8", Outcome::InvalidSource, 41, 0},
        // A truncated last character.
        {repeated("\xD6\xD0\n", 30) + "\x81\x30", "GB18030", Outcome::InvalidSource, 31, 0},
        // A zero-width space, which GBK lacks.
        {lines + "\xE2\x80\x8B\n" + lines, "UTF-8", Outcome::Unrepresentable, 21, U'\u200B'},
        // Detected past the sample as Big5, which a user-defined character at
        // the end rules out (see the Detect table of SourceTest).
        {encodedStart(traditional(), "Big5", 100000) + "\n\xFA\x40\n", "detect", Outcome::Undecided,
         0, 0}};
    for (const auto &c : cases) {
        for (std::size_t pieceSize : {1, 7, 10, 30, 200}) {
            const Conversion run = convert(scratch, c.bytes, c.source, "GBK", pieceSize);
            EXPECT_EQ(run.result.outcome, c.outcome) << pieceSize;
            EXPECT_EQ(run.result.line, c.line) << pieceSize;
            EXPECT_EQ(run.result.character, c.character) << pieceSize;
            EXPECT_TRUE(run.output.empty());
            EXPECT_FALSE(hasTemporaryFile(scratch.path()));
        }
    }
}

// U+0A05 U+1100 in UTF-16LE is 05 0A 00 11: a line feed's bytes at an odd
// offset, where cutting would split both characters (lastBoundary's alignment).
TEST(Pieces, InUtf16AreCutOnlyAtWholeLineFeeds)
{
    ScratchDirectory scratch;
    const std::string line("\x2D\x4E\x0A\x00\x05\x0A\x00\x11\x0A\x00", 10);
    const std::string utf8Line = "\xE4\xB8\xAD\n\xE0\xA8\x85\xE1\x84\x80\n";
    const std::string bytes = kUtf16LeMark + repeated(line, 40);
    for (std::size_t pieceSize : {1, 2, 3, 4, 5, 7, 9, 16, 101}) {
        const Conversion run = convert(scratch, bytes, "UTF-16", "UTF-8", pieceSize);
        EXPECT_EQ(run.result.outcome, Outcome::Converted) << pieceSize;
        EXPECT_EQ(run.output, repeated(utf8Line, 40)) << pieceSize;
    }
}

// UTF-32 has no direct path: its text goes through a buffer of 64K UTF-16
// units, and a surrogate pair across that buffer's end stays one character,
// in a piece as in one stream.
TEST(Pieces, KeepASurrogatePairAcrossTheTextBuffer)
{
    ScratchDirectory scratch;
    const auto utf32le = [](char32_t c) {
        return std::string{char(c & 0xFF), char(c >> 8 & 0xFF), char(c >> 16 & 0xFF), '\0'};
    };
    const std::string line = repeated(utf32le('a'), 65535) + utf32le(0x20000) + utf32le('\n');
    const std::string bytes = repeated(line, 3);
    const Conversion serial = convert(scratch, bytes, "UTF-32LE", "UTF-8", 0);
    ASSERT_EQ(serial.result.outcome, Outcome::Converted);
    EXPECT_EQ(serial.output, repeated(std::string(65535, 'a') + "\xF0\xA0\x80\x80\n", 3));
    const Conversion pieces = convert(scratch, bytes, "UTF-32LE", "UTF-8", line.size() + 16,
                                      [](ConvertOptions &options) { options.workers = 2; });
    EXPECT_EQ(pieces.result.outcome, Outcome::Converted);
    EXPECT_EQ(pieces.output, serial.output);
}

TEST(Pieces, ReportProgressAndCanBeCancelled)
{
    ScratchDirectory scratch;
    const std::string bytes = repeated("中文 text\n", 500);
    std::vector<std::uint64_t> progress;
    const Conversion done =
        convert(scratch, bytes, "UTF-8", "GB18030", 100, [&](ConvertOptions &o) {
            o.onBytes = [&](std::uint64_t at, std::uint64_t) { progress.push_back(at); };
        });
    EXPECT_EQ(done.result.outcome, Outcome::Converted);
    ASSERT_GT(progress.size(), 10u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), bytes.size());

    std::atomic<bool> cancel{false};
    const Conversion cancelled =
        convert(scratch, bytes, "UTF-8", "GB18030", 100, [&](ConvertOptions &o) {
            o.cancel = &cancel;
            o.onBytes = [&](std::uint64_t, std::uint64_t) { cancel = true; };
        });
    EXPECT_EQ(cancelled.result.outcome, Outcome::Cancelled);
    EXPECT_TRUE(cancelled.output.empty());
    EXPECT_FALSE(hasTemporaryFile(scratch.path()));
}

// A cancel that comes once the last piece is written, while the file is being
// finished, still abandons it: only the move into place is too late to stop.
TEST(Pieces, ACancelAfterTheLastPieceAbandonsTheFile)
{
    ScratchDirectory scratch;
    const std::string bytes = repeated("中文 text\n", 500);
    std::atomic<bool> cancel{false};
    const Conversion cancelled =
        convert(scratch, bytes, "UTF-8", "GB18030", 100, [&](ConvertOptions &o) {
            o.cancel = &cancel;
            o.onBytes = [&](std::uint64_t done, std::uint64_t total) { cancel = done == total; };
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
    EXPECT_FALSE(boundary("UTF-7", "UTF-8")); // "\n" inside base64 state
    EXPECT_FALSE(boundary("UTF-8", "UTF-7")); // a stateful target
    EXPECT_FALSE(boundary("ISO-2022-JP", "UTF-8"));
    EXPECT_FALSE(boundary("UTF-16BE", "UTF-8") && boundary("UTF-16BE", "UTF-8")->unit != 2);
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
    RunOptions options = runOptions("GB18030", "UTF-8", scratch.subdirectory("出"), 2);
    options.tuning.parallelFrom = 0;
    options.tuning.pieceSize = 32;
    std::atomic<int> reports{0};
    options.onBytes = [&](std::size_t, std::uint64_t, std::uint64_t) { ++reports; };

    ASSERT_EQ(convertRun(runInputs({inputs[0]}), options).at(0).outcome, Outcome::Converted);
    EXPECT_GT(reports.load(), 10);
    EXPECT_EQ(readBytes(options.outputDirectory / u8path("一.txt")),
              repeated(fixture("wide.utf-8"), 20));

    reports = 0;
    for (const FileResult &result : convertRun(runInputs(inputs), options))
        EXPECT_EQ(result.outcome, Outcome::Converted);
    EXPECT_EQ(reports.load(), 2);
}

} // namespace
} // namespace velloran::test
