// The terminal's capture dialog hands the run flow what was typed only when
// it fits the flow's buffer, and never writes a byte past it.
#include "copy_if_fits_rows.h"
#include "terminal_platform.h"
#include "yes_answer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>

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
