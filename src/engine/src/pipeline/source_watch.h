// SPDX-License-Identifier: GPL-3.0-or-later
// What the conversion of a file watches for as it reads its bytes, for the
// guards that need all of them: whether the file is UTF-8 text after all,
// and how its two-byte characters read as Chinese. Refusals found so come
// at the end, before anything is committed.
#pragma once

#include "detect/chinese_reading.h"
#include "detect/utf8_scan.h"
#include "files/input_file.h"
#include "velloran/result.h"

#include <functional>
#include <optional>

namespace velloran {

class SourceWatch : public ReadObserver
{
public:
    using Verdict = std::function<std::optional<FileResult>()>;

    // Either may be null, when the guards need not watch for it; `verdict`
    // judges the readings at the end.
    SourceWatch(Utf8Scan *utf8, ChineseReadings *chinese, Verdict verdict)
        : m_utf8(utf8), m_chinese(chinese), m_verdict(std::move(verdict))
    {
    }

    void seen(std::string_view bytes) override
    {
        if (m_utf8)
            m_utf8->seen(bytes);
        if (m_chinese)
            m_chinese->seen(bytes);
    }
    // Back to the start of the text, for a reader that starts over.
    void restart()
    {
        if (m_utf8)
            m_utf8->restart();
        if (m_chinese)
            m_chinese->restart();
    }

    // For a conversion that stopped before the end: whether the file may
    // still be UTF-8 text, its bytes so far valid UTF-8.
    bool mayBeUtf8() const { return m_utf8 && m_utf8->valid(); }
    // At the end of a complete conversion: AlreadyUtf8 for UTF-8 text, or
    // what the verdict makes of the readings; nothing when it stands.
    [[nodiscard]] std::optional<FileResult> refusalAtEnd()
    {
        if (m_utf8) {
            m_utf8->finish();
            if (m_utf8->isText())
                return FileResult{.outcome = Outcome::AlreadyUtf8};
        }
        return m_chinese && m_verdict ? m_verdict() : std::nullopt;
    }

private:
    Utf8Scan *m_utf8;
    ChineseReadings *m_chinese;
    Verdict m_verdict;
};

} // namespace velloran
