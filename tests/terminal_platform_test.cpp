// The terminal's capture dialog hands the run flow what was typed only when
// it fits the flow's buffer, and never writes a byte past it.
#include "terminal_platform.h"
#include "yes_answer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// Runs the terminal's capture dialog as the run flow does, with `typed` on
// standard input, and copies the entry into a 100-byte buffer followed by
// guard bytes.
std::string capture(const std::string &typed, size_t &length)
{
    int input[2];
    EXPECT_EQ(pipe(input), 0);
    EXPECT_EQ(write(input[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    close(input[1]);
    const int savedInput = dup(STDIN_FILENO);
    dup2(input[0], STDIN_FILENO);
    close(input[0]);

    char *argv[] = {const_cast<char *>("kestrune"), nullptr};
    int argc = 1;
    TerminalPlatform platform;
    std::unique_ptr<Application> application(platform.createApplication(argc, argv));
    std::unique_ptr<CaptureDialog> dialog(platform.createCaptureDialog("Kestrune", "运营商名称", 0));
    application->setMainWidget(dialog.get());
    dialog->show();
    application->exec();
    dup2(savedInput, STDIN_FILENO);
    close(savedInput);

    char buffer[100 + 16];
    std::memset(buffer, '#', sizeof buffer);
    length = dialog->resultText(buffer, 100);
    return std::string(buffer, sizeof buffer);
}

TEST(TerminalCaptureDialog, copiesTheEntryOnlyWhenItFits)
{
    const std::string a99(99, 'a');
    std::string ff33, fffd33;
    for (int i = 0; i < 33; ++i)
        ff33 += '\xff', fffd33 += "\xef\xbf\xbd";
    const struct {
        const char *name;
        std::string typed;
        std::string entry;  // what arrives, as UTF-8
        bool fits;
    } rows[] = {
        {"longestThatFits", a99 + "\n", a99, true},
        {"oneByteTooLong", a99 + "a\n", a99 + "a", false},
        // Each byte that is not UTF-8 arrives as the three bytes of U+FFFD.
        {"repairedToTheLimit", ff33 + "\n", fffd33, true},
        {"repairedPastTheLimit", ff33 + "\xff\n", fffd33 + "\xef\xbf\xbd", false},
        {"empty", "\n", "", true},
    };
    for (const auto &row : rows) {
        size_t length = 0;
        const std::string buffer = capture(row.typed, length);
        EXPECT_EQ(length, row.entry.size()) << row.name;
        const std::string expected =
            row.fits ? row.entry + '\0' + std::string(100 - row.entry.size() - 1, '#') : std::string(100, '#');
        EXPECT_EQ(buffer.substr(0, 100), expected) << row.name;
        EXPECT_EQ(buffer.substr(100), std::string(16, '#')) << row.name << ": past the buffer";
    }
}

// A yes kills processes: only a plain yes counts.
TEST(IsYes, takesOnlyYOrYesInAnyCaseWithBlanksAround)
{
    const struct {
        const char *answer;
        bool yes;
    } rows[] = {
        {"y", true},     {"yes", true},  {"Y", true},   {"YeS", true},   {" \t yes \r", true},
        {"", false},     {"  ", false},  {"n", false},  {"no", false},   {"ye", false},
        {"yess", false}, {"y y", false}, {"yes!", false}, {"oui", false}, {"是", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(isYes(row.answer), row.yes) << "'" << row.answer << "'";
}

}  // namespace
