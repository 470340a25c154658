// SPDX-License-Identifier: GPL-3.0-or-later
// Streams: standard input and standard output, pipes. A stream is read once,
// from its start to its end, in reads of whatever size it gives; and it is
// written as the text is converted, with no temporary file to fall back on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velloran {

// Where a stream's bytes come from.
class StreamSource
{
public:
    virtual ~StreamSource() = default;
    // The next bytes, at most `capacity`: at least one unless the stream
    // has ended (0). Throws FileError(CannotRead).
    virtual std::size_t readSome(char *buffer, std::size_t capacity) = 0;
};

// An open descriptor read to its end; it stays open.
class DescriptorSource : public StreamSource
{
public:
    explicit DescriptorSource(int fd) : m_fd(fd) {}
    std::size_t readSome(char *buffer, std::size_t capacity) override;

private:
    int m_fd;
};

// An open descriptor written to; it stays open.
class DescriptorOutput
{
public:
    explicit DescriptorOutput(int fd) : m_fd(fd) {}
    // Throws FileError(CannotWrite), e.g. when the reader has gone (EPIPE,
    // with SIGPIPE ignored) or the disk is full.
    void write(const char *bytes, std::size_t count);

private:
    int m_fd;
};

// A stream as a conversion reads it: its start is looked at first (for a
// byte-order mark, for detection) and kept, and the reads that follow give
// the kept bytes again before the rest of the stream.
class InputStream
{
public:
    explicit InputStream(StreamSource &source) : m_source(source) {}

    // The first `length` bytes, fewer when the stream is shorter; read at
    // the first call and kept. Throws FileError(CannotRead).
    std::string_view start(std::size_t length);
    // Whether the stream ended within its start: all of it is kept.
    bool endedWithinStart() const { return m_endedWithinStart; }
    // Passes over the next `count` bytes, which must be kept ones (a mark).
    void skip(std::size_t count);
    // The next bytes, at most `capacity`: kept ones first, then what one read
    // of the stream gives; 0 at its end. Throws FileError(CannotRead).
    std::size_t read(char *buffer, std::size_t capacity);

private:
    StreamSource &m_source;
    std::string m_start;
    bool m_started = false;
    bool m_endedWithinStart = false;
    std::uint64_t m_position = 0;
};

} // namespace velloran
