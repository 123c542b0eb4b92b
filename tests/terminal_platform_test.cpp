// The terminal's capture dialog hands the run flow what was typed only when
// it fits the flow's buffer, and never writes a byte past it.
#include "copy_if_fits_rows.h"
#include "line_reader.h"
#include "terminal_platform.h"
#include "yes_answer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Runs the terminal's capture dialog as the run flow does, with `typed` on
// standard input, and checks what it hands over.
void expectCaptured(const std::string &typed, const std::string &entry, const char *name)
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
    expectCopiedOnlyIfItFits(*dialog, entry, name);
}

TEST(TerminalCaptureDialog, copiesTheEntryOnlyWhenItFits)
{
    for (const CopyRow &row : copyRows())
        expectCaptured(row.entry + "\n", row.entry, row.name);

    // Each byte that is not UTF-8 arrives as the three bytes of U+FFFD.
    std::string ff33, fffd33;
    for (int i = 0; i < 33; ++i)
        ff33 += '\xff', fffd33 += "\xef\xbf\xbd";
    expectCaptured(ff33 + "\n", fffd33, "repairedToTheLimit");
    expectCaptured(ff33 + "\xff\n", fffd33 + "\xef\xbf\xbd", "repairedPastTheLimit");
}

// A yes kills processes: only "y" or "yes", in any case, with blanks around
// it, counts.
TEST(IsYes, takesOnlyYOrYesInAnyCaseWithBlanksAround)
{
    const struct {
        const char *name;
        std::string answer;
        bool yes;
    } rows[] = {
        {"y", "y", true},
        {"yes", "yes", true},
        {"upperY", "Y", true},
        {"upperYes", "YES", true},
        {"mixedCase", "yES", true},
        {"spacesAround", "  Yes  ", true},
        {"everyBlankAround", "\v\t yes \f\r\n", true},
        {"empty", "", false},
        {"onlyBlanks", " \t ", false},
        {"n", "n", false},
        {"no", "no", false},
        {"ye", "ye", false},
        {"yess", "yess", false},
        {"yesAndMore", "yes please", false},
        {"spacedOut", "y e s", false},
        {"punctuated", "yes!", false},
        {"one", "1", false},
        {"otherLanguage", "oui", false},
        {"chinese", "是", false},
        {"nulAfter", std::string("y\0", 2), false},
        {"nulBefore", std::string("\0yes", 4), false},
        {"nulInside", std::string("y\0es", 4), false},
        {"overlongLine", "yes" + std::string(70000, 's'), false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(isYes(row.answer), row.yes) << row.name;
}

// Answers come in lines: "\n" or "\r\n" ends one, the last may have
// neither, a "\r" inside stays, and at most 64 KiB of a line are kept.
TEST(ReadLine, cutsLinesAtTheirEndAndKeepsBoundedBytes)
{
    const struct {
        const char *name;
        std::string input;
        std::vector<std::string> lines;
    } rows[] = {
        {"newlines", "Abc\nn\n", {"Abc", "n"}},
        {"returnNewline", "A\rb\r\nno\r\n", {"A\rb", "no"}},
        {"noFinalNewline", "Abc", {"Abc"}},
        {"emptyLine", "\n", {""}},
        {"nothing", "", {}},
        {"hugeLine", std::string(1 << 20, 'x') + "\nn\n", {std::string(64 * 1024, 'x'), "n"}},
    };
    for (const auto &row : rows) {
        int input[2];
        ASSERT_EQ(pipe(input), 0);
        const int savedInput = dup(STDIN_FILENO);
        dup2(input[0], STDIN_FILENO);
        close(input[0]);
        // A writer of its own: the huge line is more than a pipe holds.
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            const bool written = write(input[1], row.input.data(), row.input.size()) ==
                                 static_cast<ssize_t>(row.input.size());
            _exit(written ? 0 : 1);
        }
        close(input[1]);
        std::vector<std::string> lines;
        for (std::string line; readLine(line);)
            lines.push_back(line);
        waitpid(writer, nullptr, 0);
        dup2(savedInput, STDIN_FILENO);
        close(savedInput);
        EXPECT_EQ(lines, row.lines) << row.name;
    }
}

}  // namespace
