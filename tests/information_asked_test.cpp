// Which first arguments answer with information instead of a run, and the
// text of each: the one place that holds the usage whole.
#include "information_asked.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

const char *answerTo(std::vector<std::string> arguments)
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return informationAsked(static_cast<int>(arguments.size()), argv.data());
}

TEST(InformationAsked, onlyForTheExactWordsAsTheFirstArgument)
{
    const struct {
        const char *name;
        std::vector<std::string> arguments;
        bool answered;
    } rows[] = {
        {"help", {"kestrune", "--help"}, true},
        {"version", {"kestrune", "--version"}, true},
        {"noArgument", {"kestrune"}, false},
        {"type", {"kestrune", "2"}, false},
        {"otherCase", {"kestrune", "--Help"}, false},
        {"oneDash", {"kestrune", "-help"}, false},
        {"withValue", {"kestrune", "--version=1"}, false},
        {"blankBefore", {"kestrune", " --help"}, false},
        {"cutShort", {"kestrune", "--hel"}, false},
        {"helpSecond", {"kestrune", "0", "--help"}, false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(answerTo(row.arguments) != nullptr, row.answered) << row.name;
}

TEST(InformationAsked, givesTheUsageAndTheVersion)
{
    EXPECT_STREQ(answerTo({"kestrune", "--help"}),
                 "Usage: kestrune [TYPE]\n"
                 "       kestrune --help | --version\n"
                 "Asks for a new operator name, applies it and offers to restart the phone's\n"
                 "phone process. Acts only when run as root. TYPE, a base-10 integer, is the\n"
                 "capture dialog's type (0 without it).\n"
                 "Exit status: 1 the name was applied (or, not run as root, nothing was done);\n"
                 "0 cancelled; 255 the entry was empty, all blanks or too long.\n");
    EXPECT_TRUE(std::regex_match(answerTo({"kestrune", "--version"}),
                                 std::regex("kestrune [0-9]+\\.[0-9]+\\.[0-9]+\n")));
}

}  // namespace
