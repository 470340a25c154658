// SPDX-License-Identifier: GPL-3.0-or-later
// Velloran conversion engine: converts text files from one character encoding
// to another, strictly and safely. No Qt: the window, the command line, the
// tests and the benchmarks all use this API. This header includes all of it;
// each part has a header of its own (result.h, encoding.h, convert.h, scan.h,
// detect.h, run.h, report.h, stream.h).
//
// Rules every conversion follows:
//  - Strict: bytes that are invalid in the source encoding (a truncated
//    character at the end of the file included) and characters that the target
//    encoding cannot represent make the file fail; nothing is replaced or
//    dropped silently.
//  - Atomic: output goes to a temporary file in the output directory and is
//    renamed onto its final name only when complete; when it replaces an
//    existing file, only once flushed to disk. A
//    failed, cancelled or interrupted file leaves no partial output; an existing
//    file is replaced whole or not at all, and keeps its mode, owner and group
//    (where permitted; setuid and setgid only with them) and extended
//    attributes, ACLs included. The temporary file is private to its owner
//    until it has the old file's mode. This also makes converting a file onto
//    itself safe. In place (OutputRule::InPlace), a file whose conversion
//    would give back its very bytes is not written at all (Unchanged).
//  - Streaming: files are converted in chunks, so memory does not grow with
//    file size.
//  - Byte-order marks: an input that starts with a UTF-8, UTF-16 LE/BE or
//    UTF-32 LE/BE mark is decoded in the encoding the mark names, whatever the
//    chosen source, and the mark is not part of the text. "UTF-16" and "UTF-32"
//    without a mark mean little-endian. As a target, "UTF-16" and "UTF-32" are
//    written little-endian with a mark, every other encoding without one,
//    unless Encoding::writesMark is set otherwise.
//  - Line ends are kept exactly as they are.
//  - Knowing the source. The source may be kDetectEncoding ("detect"): each
//    file is then converted from the encoding detectEncoding() finds, and one
//    it cannot decide on is refused as Undecided, by the same rules at every
//    size (in a run, the conversion checks that the whole file decodes in a
//    detected Chinese family, refusing private-use characters as detection
//    does, rather than decoding it twice). With a legacy Chinese
//    source (GB18030, GBK, GB2312 or Big5, by any name ICU gives them) and no
//    byte-order mark, guards watch for a wrong choice:
//     - a file that is valid UTF-8 with a character at U+00A0 or above (every
//       Han character, a no-break space, an accented letter), anywhere in
//       it, is refused as AlreadyUtf8;
//     - a file that the detector is confident (above 50) belongs to the other
//       family, GB18030 or Big5, and that decodes strictly in it too, is
//       refused as LooksLikeOther where its output would replace it, and
//       elsewhere converted with that family in FileResult::likely: its
//       original stays, to be converted from the right one.
//    With any source, a file that does not decode gets in FileResult::likely
//    an encoding it decodes in strictly, when there is one. The checks look
//    at the file's first 64 KiB; the rest is read again only when that says
//    a file needs it, or watched as it is converted.
//  - Encoding names are resolved by ICU; the engine keeps no table of its own.
//    The lookup tables that speed up GB18030, GBK, Big5 and the like are filled
//    at run time by asking ICU, and whatever they do not hold goes to ICU.
//  - Speed: one large file may be converted on several threads (see
//    ConvertOptions::workers) with exactly the result of one thread.
#pragma once

#include "velloran/convert.h"
#include "velloran/detect.h"
#include "velloran/encoding.h"
#include "velloran/report.h"
#include "velloran/result.h"
#include "velloran/run.h"
#include "velloran/scan.h"
#include "velloran/stream.h"
