// SPDX-License-Identifier: GPL-3.0-or-later
#include "detect/icu_opinion.h"

#include <unicode/ucsdet.h>

#include <algorithm>
#include <memory>

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

using DetectorPointer = std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)>;

// Each thread keeps one detector: opening one costs as much as looking at a
// few characters. Null when ICU cannot open one.
UCharsetDetector *threadDetector()
{
    thread_local const DetectorPointer detector = [] {
        UErrorCode error = U_ZERO_ERROR;
        UCharsetDetector *opened = ucsdet_open(&error);
        if (U_FAILURE(error)) {
            ucsdet_close(opened);
            opened = nullptr;
        }
        return DetectorPointer(opened, &ucsdet_close);
    }();
    return detector.get();
}

} // namespace

IcuOpinion askIcu(std::string_view bytes)
{
    IcuOpinion opinion;
    UCharsetDetector *detector = threadDetector();
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
