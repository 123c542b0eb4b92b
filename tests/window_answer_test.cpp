// What the window program says a person answered is believed only in full:
// its form, its bounds and its text's encoding.
#include "window_answer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ReadWindowAnswer, takesOnlyAWellFormedAnswerInUtf8)
{
    const std::string longest(windowTextLimit, 'a');
    struct Case {
        const char *name;
        WindowMessage message;
        bool taken;
        int code;
        size_t length;
        const char *reason;  // part of the failure, when not taken
    };
    const auto answer = [](std::vector<std::string> fields) {
        return WindowMessage{WindowMessageKind::answer, std::move(fields)};
    };
    const Case cases[] = {
        {"accepted", answer({"1", "3", "Abc"}), true, 1, 3, ""},
        {"chinese", answer({"1", "12", "中国移动"}), true, 1, 12, ""},
        {"cancelledEmpty", answer({"0", "0", ""}), true, 0, 0, ""},
        {"highestCode", answer({"2147483647", "0", ""}), true, 2147483647, 0, ""},
        {"longestSentWhole", answer({"1", std::to_string(windowTextLimit), longest}), true, 1, windowTextLimit, ""},
        {"tooLongToSend", answer({"1", std::to_string(windowTextLimit + 1), ""}), true, 1, windowTextLimit + 1, ""},
        {"codeBeyondInt", answer({"2147483648", "0", ""}), false, 0, 0, "unexpected"},
        {"negativeCode", answer({"-1", "0", ""}), false, 0, 0, "unexpected"},
        {"codeWithBlank", answer({" 1", "0", ""}), false, 0, 0, "unexpected"},
        {"emptyCode", answer({"", "0", ""}), false, 0, 0, "unexpected"},
        {"lengthDiffers", answer({"1", "2", "Abc"}), false, 0, 0, "unexpected"},
        {"cutTextSent", answer({"1", std::to_string(windowTextLimit + 1), "A"}), false, 0, 0, "unexpected"},
        {"fieldMissing", answer({"1", "0"}), false, 0, 0, "unexpected"},
        {"fieldTooMany", answer({"1", "0", "", ""}), false, 0, 0, "unexpected"},
        {"notAnAnswer", WindowMessage{WindowMessageKind::shown, {"1", "0", ""}}, false, 0, 0, "unexpected"},
        {"notUtf8", answer({"1", "7", "A\xff" "B\xc0\xaf" "Cd"}), false, 0, 0, "not UTF-8"},
        {"surrogateHalf", answer({"1", "3", "\xed\xa0\x80"}), false, 0, 0, "not UTF-8"},
    };
    for (const Case &c : cases) {
        WindowAnswer read;
        std::string failure;
        ASSERT_EQ(readWindowAnswer(c.message, read, failure), c.taken) << c.name << ": " << failure;
        if (!c.taken) {
            EXPECT_NE(failure.find(c.reason), std::string::npos) << c.name << ": " << failure;
            continue;
        }
        EXPECT_EQ(read.code, c.code) << c.name;
        EXPECT_EQ(read.length, c.length) << c.name;
        EXPECT_EQ(read.text, c.message.fields[2]) << c.name;
    }
}

}  // namespace
