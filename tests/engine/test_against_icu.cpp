// Whole files through the engine against ICU alone, converting the same bytes
// in one call with its stop callbacks: both must succeed with the same bytes
// or both fail. The inputs start with the signatures ICU's detector knows but
// only Unicode marks are: to the engine they are ordinary text.
#include "test_support.h"

#include <unicode/ucnv.h>

#include <gtest/gtest.h>

#include <optional>

namespace velloran::test {
namespace {

std::optional<std::string> plainIcu(const std::string &bytes, const std::string &source,
                                    const std::string &target)
{
    UErrorCode error = U_ZERO_ERROR;
    UConverter *from = ucnv_open(source.c_str(), &error);
    UConverter *to = ucnv_open(target.c_str(), &error);
    ucnv_setToUCallBack(from, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    ucnv_setFromUCallBack(to, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    std::string output(4 * bytes.size() + 16, '\0');
    char *out = output.data();
    const char *in = bytes.data();
    ucnv_convertEx(to, from, &out, output.data() + output.size(), &in, bytes.data() + bytes.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &error);
    ucnv_close(from);
    ucnv_close(to);
    if (U_FAILURE(error))
        return std::nullopt;
    output.resize(static_cast<std::size_t>(out - output.data()));
    return output;
}

struct Signature
{
    std::string label;
    std::string bytes;
};

const Signature kSignatures[] = {{"utf7", "+/v8"},
                                 {"utf7_closed", "+/v8-"},
                                 {"scsu", "\x0E\xFE\xFF"},
                                 {"bocu1", "\xFB\xEE\x28"},
                                 {"utf_ebcdic", "\xDD\x73\x66\x73"}};

using AgainstIcu = ScratchTest<std::tuple<std::string, std::string>>;

TEST_P(AgainstIcu, SignaturesOtherThanUnicodeMarksAreText)
{
    const auto &[source, target] = GetParam();
    const std::string text =
        plainIcu("\xE4\xB8\xAD\xE6\x96\x87 text\n\xE7\xAC\xAC\xE4\xBA\x8C", "UTF-8", source)
            .value();
    for (const Signature &signature : kSignatures) {
        for (const std::string &rest : {std::string(), text}) {
            const std::string bytes = signature.bytes + rest;
            std::string output;
            const FileResult result = convertBytes(scratch, bytes, source, target, output);
            const std::optional<std::string> expected = plainIcu(bytes, source, target);
            ASSERT_EQ(result.outcome == Outcome::Converted, expected.has_value())
                << signature.label << " " << rest.size();
            if (expected) {
                EXPECT_EQ(output, *expected) << signature.label;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, AgainstIcu,
                         testing::Combine(testing::Values("GB18030", "GBK", "Big5", "UTF-8"),
                                          testing::Values("UTF-8", "GB18030", "UTF-16LE")),
                         [](const auto &info) {
                             std::string name =
                                 std::get<0>(info.param) + "_to_" + std::get<1>(info.param);
                             std::erase(name, '-');
                             return name;
                         });

} // namespace
} // namespace velloran::test
