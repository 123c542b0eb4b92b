#include "console_capture.h"
#include "trim_blanks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

struct TrimCase {
    const char *name;
    std::string text;
    int result;
    std::string name_;     // the name from the result index on; unused when rejected
    std::string console;
};

void PrintTo(const TrimCase &row, std::ostream *out)
{
    *out << row.name;
}

class Trim : public testing::TestWithParam<TrimCase> {};

TEST_P(Trim, cutsInPlaceAndReturnsWhereTheNameStarts)
{
    const TrimCase &trimCase = GetParam();
    // Guard bytes after the terminator catch writes past the text.
    char buffer[128];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    trimCase.text.copy(buffer, trimCase.text.size());
    buffer[trimCase.text.size()] = '\0';

    ConsoleCapture capture;
    const int result = trimBlanks(buffer);
    const std::string console = capture.takeWritten();

    EXPECT_EQ(result, trimCase.result);
    EXPECT_EQ(console, trimCase.console);
    EXPECT_EQ(buffer[trimCase.text.size() + 1], '#');
    if (result < 0) {
        EXPECT_EQ(std::string(buffer), trimCase.text) << "a rejected text stays as it was";
        return;
    }
    EXPECT_EQ(std::string(buffer + result), trimCase.name_);
    EXPECT_EQ(std::string(buffer, result), trimCase.text.substr(0, result))
        << "bytes before the name stay as they were";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Trim,
    testing::Values(
        TrimCase{"empty", "", -1, "", "empty input\n"},
        TrimCase{"oneBlank", " ", -1, "", "all blank input\n"},
        TrimCase{"fiveBlanks", "     ", -1, "", "all blank input\n"},
        TrimCase{"noBlanks", "abc", 0, "abc", ""},
        TrimCase{"leading", "  abc", 2, "abc", ""},
        TrimCase{"trailing", "abc   ", 0, "abc", ""},
        TrimCase{"innerBlanksStay", "  a b  ", 2, "a b", ""},
        TrimCase{"oneByteName", "a    ", 0, "a", ""},
        TrimCase{"oneByteNameAfterBlanks", "   a", 3, "a", ""},
        TrimCase{"oneByteNameInBlanks", " a ", 1, "a", ""},
        TrimCase{"singleByte", "a", 0, "a", ""},
        // Only 0x20 is a blank.
        TrimCase{"tab", "\tabc\t", 0, "\tabc\t", ""},
        TrimCase{"newlineAndReturn", " \r\n ", 1, "\r\n", ""},
        TrimCase{"noBreakSpace", "\u00a0abc\u00a0 ", 0, "\u00a0abc\u00a0", ""},
        TrimCase{"ideographicSpace", "\u3000abc", 0, "\u3000abc", ""},
        TrimCase{"chinese", "中国 ", 0, "中国", ""},
        // Bytes above 0x7f, whether char is signed or not.
        TrimCase{"highBytes", " \xff\x80 ", 1, "\xff\x80", ""},
        TrimCase{"longestName", " " + std::string(97, 'x') + " ", 1, std::string(97, 'x'), ""}),
    [](const testing::TestParamInfo<TrimCase> &info) { return std::string(info.param.name); });

}  // namespace
