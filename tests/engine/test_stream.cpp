// SPDX-License-Identifier: GPL-3.0-or-later
// Streams (standard input to standard output): read in reads of any size
// and converted in chunks of any size, a stream gives what the same bytes as
// a file give: the same output, the same result, the same first error and
// line. A stream that fails has written nothing from its fault on.
#include "files/file_error.h"
#include "pipeline/convert_stream.h"
#include "test_detect_text.h"
#include "test_support.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace velloran::test {
namespace {

using enum Outcome;

// Gives its bytes in reads of at most `readSize` bytes.
class ScriptedSource : public StreamSource
{
public:
    ScriptedSource(std::string bytes, std::size_t readSize)
        : m_bytes(std::move(bytes)), m_readSize(readSize)
    {
    }
    std::size_t readSome(char *buffer, std::size_t capacity) override
    {
        const std::size_t count = std::min({capacity, m_readSize, m_bytes.size() - m_position});
        std::copy_n(m_bytes.data() + m_position, count, buffer);
        m_position += count;
        return count;
    }

private:
    std::string m_bytes;
    std::size_t m_readSize;
    std::size_t m_position = 0;
};

// Keeps what it is given; refuses more than `room` bytes, as a full disk would.
class StringSink : public ByteSink
{
public:
    explicit StringSink(std::size_t room = std::string::npos) : m_room(room) {}
    void write(const char *bytes, std::size_t count) override
    {
        if (written.size() + count > m_room)
            throw FileError(CannotWrite, "cannot write the output: no room");
        written.append(bytes, count);
    }
    std::string written;

private:
    std::size_t m_room;
};

StreamOptions streamOptions(const std::string &source, const std::string &target,
                            std::size_t chunkSize = kDefaultChunkSize)
{
    return StreamOptions{
        .source = resolveSource(source), .target = resolveEncoding(target), .chunkSize = chunkSize};
}

struct Streamed
{
    FileResult result;
    std::string output;
};

Streamed streamed(const std::string &bytes, const std::string &source, const std::string &target,
                  std::size_t readSize = 1 << 16, std::size_t chunkSize = kDefaultChunkSize)
{
    ScriptedSource input(bytes, readSize);
    StringSink output;
    const FileResult result =
        convertStream(input, output, streamOptions(source, target, chunkSize));
    return {result, output.written};
}

// What a stream's result shares with a file's.
void expectSameResult(const FileResult &stream, const FileResult &file)
{
    EXPECT_EQ(stream.outcome, file.outcome);
    EXPECT_EQ(stream.line, file.line);
    EXPECT_EQ(stream.character, file.character);
    EXPECT_EQ(stream.encoding, file.encoding);
}

// Bytes a little longer than the look at a stream's start.
std::string longerThanTheStart(const std::string &text)
{
    constexpr std::size_t kLonger = (64 << 10) + 5000;
    return repeated(text, static_cast<int>(kLonger / text.size() + 1));
}

// ---------------------------------------------------------------------------

struct StreamCase
{
    std::string label;
    std::string source;
    std::string target;
    std::function<std::string()> bytes;
};

std::ostream &operator<<(std::ostream &os, const StreamCase &c)
{
    return os << c.label;
}

using SmallStream = ScratchTest<StreamCase>;

// An input that ends within the look at its start gets a file's rules, and
// a refused one has nothing written.
TEST_P(SmallStream, FollowsAFilesRules)
{
    const StreamCase &c = GetParam();
    const std::string bytes = c.bytes();
    std::string fileOutput;
    const FileResult file = convertBytes(scratch, bytes, c.source, c.target, fileOutput);
    const Streamed stream = streamed(bytes, c.source, c.target);
    expectSameResult(stream.result, file);
    EXPECT_EQ(stream.result.likely, file.likely);
    EXPECT_EQ(stream.result.reason, file.reason);
    if (file.outcome == Converted || file.outcome == AlreadyUtf8 || file.outcome == Undecided) {
        EXPECT_EQ(stream.output, fileOutput);
    }
}

std::function<std::string()> text(const std::string &utf8, const std::string &encoding)
{
    return [=] { return encoded(utf8, encoding); };
}

std::function<std::string()> raw(const std::string &bytes)
{
    return [=] { return bytes; };
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SmallStream,
    testing::Values(
        StreamCase{"empty", "GBK", "UTF-16", raw("")},
        StreamCase{"one_byte", "GBK", "UTF-8", raw("a")},
        StreamCase{"one_invalid_byte", "GBK", "UTF-8", raw("\x81")},
        StreamCase{"gbk", "GBK", "UTF-8", text(simplified(), "GBK")},
        StreamCase{"utf16_target_gets_a_mark", "UTF-8", "UTF-16", raw("中文\n")},
        StreamCase{"a_mark_decides", "GBK", "UTF-8", [] { return kUtf8Mark + simplified(); }},
        StreamCase{"detected_gb18030", "detect", "UTF-8", text(simplified(), "GB18030")},
        StreamCase{"detected_big5", "detect", "UTF-8", text(traditional(), "Big5")},
        StreamCase{"too_short_to_detect", "detect", "UTF-8",
                   [] { return twoCharacters(simplified(), "GB18030"); }},
        StreamCase{"utf8_read_as_gbk", "GBK", "UTF-8", raw(simplified())},
        StreamCase{"big5_read_as_gbk", "GBK", "UTF-8", text(traditional(), "Big5")},
        StreamCase{"invalid_gbk", "GBK", "UTF-8", raw("\xD6\xD0\n\xD6\xD0\n\xA1 \n")},
        StreamCase{"not_in_gb2312", "UTF-8", "GB2312", raw("一\n二\xC3\x9F\n")},
        StreamCase{"from_utf7", "UTF-7", "UTF-8", [] { return fixture("common.utf-7"); }},
        StreamCase{"to_utf7", "UTF-8", "UTF-7", [] { return fixture("wide.utf-8"); }},
        StreamCase{"lone_surrogate_in_utf7", "UTF-7", "UTF-8", raw("a\nb\n+2D0-")}),
    byLabel);

// ---------------------------------------------------------------------------

struct PairCase
{
    std::string source;
    std::string target;
    std::string mark;
    std::string fixtureName;
};

std::ostream &operator<<(std::ostream &os, const PairCase &c)
{
    return os << c.source << " to " << c.target;
}

using EveryBoundary = ScratchTest<PairCase>;

// Reads of one byte split every character; tiny chunks hold a few characters
// each, cut anywhere; and the stream is longer than the look at its start.
TEST_P(EveryBoundary, GivesWhatAFileGives)
{
    const PairCase &c = GetParam();
    const std::string bytes = c.mark + longerThanTheStart(fixture(c.fixtureName));
    std::string fileOutput;
    const FileResult file = convertBytes(scratch, bytes, c.source, c.target, fileOutput);
    ASSERT_EQ(file.outcome, Converted);
    for (const std::size_t readSize : {1, 3, 1 << 16}) {
        for (const std::size_t chunkSize : {16, 17, 18, 19, 1000}) {
            const Streamed stream = streamed(bytes, c.source, c.target, readSize, chunkSize);
            expectSameResult(stream.result, file);
            EXPECT_EQ(stream.output, fileOutput) << readSize << " " << chunkSize;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, EveryBoundary,
    testing::Values(PairCase{"GB18030", "UTF-8", "", "wide.gb18030"},
                    PairCase{"GBK", "UTF-16", "", "common.gbk"},
                    PairCase{"Big5", "GB18030", "", "common.big5"},
                    PairCase{"UTF-8", "GB18030", kUtf8Mark, "wide.utf-8"},
                    PairCase{"UTF-16", "UTF-8", kUtf16BeMark, "wide.utf-16-be"},
                    PairCase{"UTF-16", "UTF-32", "", "wide.utf-16-le"},
                    PairCase{"UTF-32", "UTF-8", kUtf32LeMark, "wide.utf-32-le"},
                    PairCase{"UTF-7", "UTF-16", "", "wide.utf-7"},
                    PairCase{"UTF-8", "UTF-7", "", "wide.utf-8"}),
    [](const auto &info) {
        return paramName(info.param.source + "_to_" + info.param.target + "_" +
                         std::to_string(info.index));
    });

// ---------------------------------------------------------------------------

struct StreamFaultCase
{
    std::string label;
    std::string source;
    std::string target;
    std::string good; // valid text, in the source
    std::string fault;
};

std::ostream &operator<<(std::ostream &os, const StreamFaultCase &c)
{
    return os << c.label;
}

using FaultInAStream = ScratchTest<StreamFaultCase>;

// Short or longer than the look at the start, the first error has the line
// a file gives it, and what was written is the text before it, all of it.
TEST_P(FaultInAStream, NamesTheFilesLineAndWritesNothingFromIt)
{
    const StreamFaultCase &c = GetParam();
    for (const std::string &good : {c.good, longerThanTheStart(c.good)}) {
        const std::string bytes = good + c.fault + good;
        std::string before;
        ASSERT_EQ(convertBytes(scratch, good, c.source, c.target, before).outcome, Converted);
        std::string ignored;
        const FileResult file = convertBytes(scratch, bytes, c.source, c.target, ignored);
        ASSERT_NE(file.outcome, Converted);
        for (const std::size_t chunkSize : {16, 1000, 1 << 20}) {
            const Streamed stream = streamed(bytes, c.source, c.target, 4093, chunkSize);
            expectSameResult(stream.result, file);
            EXPECT_EQ(stream.output, before)
                << stream.output.size() << " bytes written, chunks of " << chunkSize;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultInAStream,
    testing::Values(
        StreamFaultCase{"gbk_lead_alone", "GBK", "UTF-8", fixture("common.gbk") + "\n", "\xA1 "},
        StreamFaultCase{"gb18030_to_utf16", "GB18030", "UTF-16", fixture("wide.gb18030"), "\xFF"},
        StreamFaultCase{"big5", "Big5", "UTF-8", fixture("common.big5"), "\xA1 "},
        StreamFaultCase{"utf8", "UTF-8", "GBK", fixture("common.utf-8"), "\xC3\x28"},
        StreamFaultCase{"utf16_lone_trail", "UTF-16LE", "UTF-8", fixture("wide.utf-16-le"),
                        std::string("\x00\xDC", 2)},
        StreamFaultCase{"utf7_eight_bit", "UTF-7", "UTF-8", fixture("wide.utf-7"), "\x80"},
        StreamFaultCase{"emoji_to_gbk", "UTF-8", "GBK", fixture("common.utf-8"),
                        "\xF0\x9F\x98\x80"},
        StreamFaultCase{"sharp_s_from_utf16_to_gb2312", "UTF-16LE", "GB2312",
                        fixture("common.utf-16-le"), std::string("\xDF\x00", 2)},
        StreamFaultCase{"sharp_s_from_utf7_to_gb2312", "UTF-7", "GB2312", fixture("common.utf-7"),
                        "+AN8-"},
        // Line ends of every kind, cut between chunks at every place.
        StreamFaultCase{"carriage_returns", "GBK", "UTF-8", "one\rtwo\r\nthree\n\r", "\xA1 "},
        StreamFaultCase{"utf16_carriage_returns", "UTF-16LE", "UTF-8",
                        std::string("a\0\r\0b\0\r\0\n\0", 10), std::string("\x00\xDC", 2)}),
    byLabel);

// ---------------------------------------------------------------------------

// Detection and the guards look at the start of a longer stream.
TEST(LongStream, IsDetectedFromItsStart)
{
    const std::string bytes = longerThanTheStart(encoded(simplified(), "GB18030"));
    const Streamed stream = streamed(bytes, "detect", "UTF-8");
    EXPECT_EQ(stream.result.outcome, Converted);
    EXPECT_EQ(stream.result.encoding, "GB18030");
    EXPECT_EQ(stream.output, decoded(bytes, "GB18030"));
}

TEST(LongStream, DetectedOnItsStartFailsWhereTheRestDoesNotDecode)
{
    const std::string good = longerThanTheStart(encoded(simplified(), "GB18030"));
    const Streamed stream = streamed(good + "\x81\x20", "detect", "UTF-8");
    EXPECT_EQ(stream.result.outcome, InvalidSource);
    EXPECT_EQ(stream.result.encoding, "GB18030");
    EXPECT_EQ(stream.result.line, static_cast<std::uint64_t>(std::ranges::count(good, '\n')) + 1);
}

// A private-use character after the start is held to detection's rules, as
// a file's is: a user-defined code (GB18030 AA A1 is U+E000) read as text
// would be a guess. Named, it converts.
TEST(LongStream, DetectedOnItsStartRefusesPrivateUseInTheRest)
{
    const std::string good = longerThanTheStart(encoded(simplified(), "GB18030"));
    const std::string bytes = good + "\xAA\xA1";
    const Streamed detected = streamed(bytes, "detect", "UTF-8");
    EXPECT_EQ(detected.result.outcome, InvalidSource);
    EXPECT_EQ(detected.result.line, static_cast<std::uint64_t>(std::ranges::count(good, '\n')) + 1);
    const Streamed named = streamed(bytes, "GB18030", "UTF-8");
    EXPECT_EQ(named.result.outcome, Converted);
    EXPECT_EQ(named.output, decoded(bytes, "GB18030"));
}

// UTF-8 is known from its start, private use and all.
TEST(LongStream, DetectedAsUtf8KeepsPrivateUseInTheRest)
{
    const std::string bytes = longerThanTheStart(simplified()) + "\xEF\xA3\xBF";
    const Streamed stream = streamed(bytes, "detect", "UTF-16LE");
    EXPECT_EQ(stream.result.outcome, Converted);
    EXPECT_EQ(stream.output, encoded(bytes, "UTF-16LE"));
}

TEST(LongStream, ThatStartsAsUtf8TextIsRefusedBeforeAnythingIsWritten)
{
    const Streamed stream = streamed(longerThanTheStart(simplified()), "GBK", "UTF-8");
    EXPECT_EQ(stream.result.outcome, AlreadyUtf8);
    EXPECT_EQ(stream.output, "");
}

// "文中" in UTF-8 also decodes as GBK, as a file's text could: the stream
// stops where it shows, as at a fault, the start of its line written.
TEST(LongStream, ThatTurnsOutToBeUtf8TextStopsWhereItShows)
{
    const std::string ascii = longerThanTheStart(english());
    const auto lines = static_cast<std::uint64_t>(std::ranges::count(ascii, '\n'));
    for (const std::size_t chunkSize : {std::size_t{16}, std::size_t{1000}, kDefaultChunkSize}) {
        for (const char *target : {"UTF-8", "UTF-7"}) {
            const Streamed stream = streamed(ascii + "abc " + repeated("文中", 50) + "\n", "GBK",
                                             target, 4093, chunkSize);
            EXPECT_EQ(stream.result.outcome, AlreadyUtf8) << chunkSize << target;
            EXPECT_EQ(stream.result.line, lines + 1) << chunkSize << target;
            EXPECT_EQ(stream.output, encoded(ascii + "abc ", target)) << chunkSize << target;
        }
    }
    EXPECT_EQ(streamed(ascii + encoded(simplified(), "GBK"), "GBK", "UTF-8").result.outcome,
              Converted);
}

// ---------------------------------------------------------------------------

TEST(StreamEnds, AFullOutputFailsTheStream)
{
    ScriptedSource input(longerThanTheStart("中文\n"), 1 << 16);
    StringSink output(1000);
    const FileResult result = convertStream(input, output, streamOptions("UTF-8", "GB18030"));
    EXPECT_EQ(result.outcome, CannotWrite);
    EXPECT_EQ(result.message, "cannot write the output: no room");
}

TEST(StreamEnds, AReaderThatWentAwayFailsTheStream)
{
    Restore sigpipe{[previous = std::signal(SIGPIPE, SIG_IGN)] { std::signal(SIGPIPE, previous); }};
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    const int input = open("/dev/zero", O_RDONLY);
    const FileResult result = convertStream(input, ends[1], streamOptions("UTF-8", "UTF-16"));
    close(input);
    close(ends[1]);
    EXPECT_EQ(result.outcome, CannotWrite);
    EXPECT_EQ(result.message, "cannot write the output: Broken pipe");
}

TEST(StreamEnds, AnInputThatCannotBeReadFailsTheStream)
{
    const int folder = open(".", O_RDONLY | O_DIRECTORY);
    const FileResult result = convertStream(folder, 1, streamOptions("UTF-8", "UTF-16"));
    close(folder);
    EXPECT_EQ(result.outcome, CannotRead);
    EXPECT_EQ(result.message, "cannot read the input: Is a directory");
}

TEST(StreamEnds, ACancelledStreamStops)
{
    const std::atomic<bool> cancel{true};
    ScriptedSource input("text", 1);
    StringSink output;
    StreamOptions options = streamOptions("UTF-8", "UTF-16");
    options.cancel = &cancel;
    EXPECT_EQ(convertStream(input, output, options).outcome, Cancelled);
    EXPECT_EQ(output.written, "");
}

} // namespace
} // namespace velloran::test
