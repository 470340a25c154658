// SPDX-License-Identifier: GPL-3.0-or-later
#include "detect/icu_opinion.h"

#include <unicode/ucsdet.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace velloran {

namespace {

// The Chinese family of an encoding name as ICU's detector spells it.
std::string_view familyByName(std::string_view name)
{
    if (name == kGb18030 || name == "GBK" || name == "GB2312")
        return kGb18030;
    return name == kBig5 ? kBig5 : std::string_view();
}

bool isEastAsian(std::string_view name)
{
    return name == "EUC-JP" || name == "Shift_JIS" || name == "EUC-KR" ||
           name.starts_with("ISO-2022-");
}

// Detectors are lent, one to each question at a time, and kept for the next
// question: opening one costs as much as looking at a few characters. The
// pool closes them when the process ends. (One detector in each thread,
// closed as the thread ends, crashes the threads of MinGW's runtime on
// Windows.)
class DetectorPool
{
public:
    DetectorPool() = default;
    DetectorPool(const DetectorPool &) = delete;
    DetectorPool &operator=(const DetectorPool &) = delete;
    ~DetectorPool()
    {
        for (UCharsetDetector *detector : m_idle)
            ucsdet_close(detector);
    }

    // Null when ICU cannot open one.
    UCharsetDetector *take()
    {
        {
            const std::lock_guard lock(m_mutex);
            if (!m_idle.empty()) {
                UCharsetDetector *detector = m_idle.back();
                m_idle.pop_back();
                return detector;
            }
        }
        UErrorCode error = U_ZERO_ERROR;
        UCharsetDetector *opened = ucsdet_open(&error);
        if (U_FAILURE(error)) {
            ucsdet_close(opened);
            return nullptr;
        }
        return opened;
    }

    void giveBack(UCharsetDetector *detector)
    {
        const std::lock_guard lock(m_mutex);
        m_idle.push_back(detector);
    }

private:
    std::mutex m_mutex;
    std::vector<UCharsetDetector *> m_idle;
};

DetectorPool &detectorPool()
{
    static DetectorPool pool;
    return pool;
}

class LentDetector
{
public:
    LentDetector() : m_detector(detectorPool().take()) {}
    LentDetector(const LentDetector &) = delete;
    LentDetector &operator=(const LentDetector &) = delete;
    ~LentDetector()
    {
        if (m_detector)
            detectorPool().giveBack(m_detector);
    }
    UCharsetDetector *get() const { return m_detector; }

private:
    UCharsetDetector *m_detector;
};

} // namespace

IcuOpinion askIcu(std::string_view bytes)
{
    IcuOpinion opinion;
    const LentDetector lent;
    UCharsetDetector *detector = lent.get();
    if (!detector)
        return opinion;
    UErrorCode error = U_ZERO_ERROR;
    ucsdet_setText(detector, bytes.data(), static_cast<int32_t>(bytes.size()), &error);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector, &count, &error);
    if (U_FAILURE(error))
        return opinion;
    // The matches come most confident first.
    for (int32_t i = 0; i < count; ++i) {
        const std::string_view name = ucsdet_getName(matches[i], &error);
        const int confidence = ucsdet_getConfidence(matches[i], &error);
        const std::string_view family = familyByName(name);
        if (family == kGb18030)
            opinion.gb18030 = std::max(opinion.gb18030, confidence);
        else if (family == kBig5)
            opinion.big5 = std::max(opinion.big5, confidence);
        else {
            if (isEastAsian(name))
                opinion.eastAsian.push_back({std::string(name), confidence});
            if (!opinion.other)
                opinion.other = IcuAnswer{std::string(name), confidence};
        }
    }
    return opinion;
}

} // namespace velloran
