// The window's root side against a window program that plays a script (see
// stub_window/main.cpp): however the program answers, fails or goes away,
// the dialog ends as the tool promises, and what the program writes to its
// standard error reaches the tool's escaped.
#include "window_platform.h"

#include "copy_if_fits_rows.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

// Standard error into a file for as long as it lives.
class ErrorCapture {
public:
    ErrorCapture() : file(std::tmpfile()), saved(dup(STDERR_FILENO)) { dup2(fileno(file), STDERR_FILENO); }
    ~ErrorCapture()
    {
        dup2(saved, STDERR_FILENO);
        close(saved);
        std::fclose(file);
    }
    std::string written() const
    {
        std::string text(4096, '\0');
        text.resize(static_cast<size_t>(pread(fileno(file), &text[0], text.size(), 0)));
        return text;
    }

private:
    std::FILE *file;
    int saved;
};

enum class Dialog { capture, question };

struct Row {
    const char *name;
    const char *script;
    bool starts;
    Dialog dialog;
    int answer;  // the capture dialog's result, or what the question's exec() gives
    const char *text;  // the entered text handed to the run flow
    const char *told;  // part of standard error, or of the reason it did not start
};

// Running, not ended (a zombie that nobody has reaped yet has ended).
bool running(pid_t process)
{
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t state = line.rfind(") ");
    return state != std::string::npos && line[state + 2] != 'Z';
}

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

class WindowSide : public testing::TestWithParam<Row> {};

TEST_P(WindowSide, endsEachDialogAsPromised)
{
    const Row &row = GetParam();
    const std::string script = std::string("--stub=") + row.script;
    char *argv[] = {const_cast<char *>("kestrune"), const_cast<char *>("0"), const_cast<char *>(script.c_str()),
                    nullptr};
    ErrorCapture errors;
    std::string failure;
    std::unique_ptr<WindowPlatform> platform = WindowPlatform::start(argv, failure, 500);
    ASSERT_EQ(platform != nullptr, row.starts) << failure;
    if (!platform) {
        EXPECT_NE(failure.find(row.told), std::string::npos) << failure;
        return;
    }
    int answer = 0;
    char text[100] = "untouched";
    if (row.dialog == Dialog::capture) {
        int argc = 1;
        const std::unique_ptr<Application> application(platform->createApplication(argc, argv));
        const std::unique_ptr<CaptureDialog> dialog(platform->createCaptureDialog("Kestrune", "运营商名称", 0));
        dialog->selectAll();
        application->setMainWidget(dialog.get());
        dialog->show();
        application->exec();
        answer = dialog->result();
        if (answer != 0)
            dialog->resultText(text, sizeof text);
    } else {
        const std::unique_ptr<MessageDialog> dialog(
            platform->createMessageDialog("Kestrune", "设置OK，是否刷新手机？", questionDialog));
        answer = dialog->exec();
    }
    // A process the program left behind still runs: the dialog did not wait for it.
    const std::string told = errors.written();
    if (const size_t at = told.find("orphan "); at != std::string::npos) {
        const pid_t orphan = std::stoi(told.substr(at + 7));
        EXPECT_TRUE(running(orphan)) << "the dialog ended only once the orphan had";
        kill(orphan, SIGKILL);
    }
    platform.reset();
    EXPECT_EQ(answer, row.answer);
    EXPECT_STREQ(text, row.text);
    EXPECT_NE(errors.written().find(row.told), std::string::npos) << errors.written();
}

const Row rows[] = {
    {"answers", "ready,wait,shown,answer:1:Abc", true, Dialog::capture, 1, "Abc", ""},
    {"answersChinese", "ready,wait,shown,answer:1:中国移动", true, Dialog::capture, 1, "中国移动", ""},
    {"cancels", "ready,wait,shown,answer:0:", true, Dialog::capture, 0, "untouched", ""},
    {"answersYes", "ready,wait,shown,answer:1:", true, Dialog::question, 1, "untouched", ""},
    {"answersNo", "ready,wait,shown,answer:0:", true, Dialog::question, 0, "untouched", ""},
    {"unusable", "unusable:no X server here", false, Dialog::capture, 0, "", "no X server here"},
    {"neverReady", "wait", false, Dialog::capture, 0, "", "showed no window within"},
    {"endsBeforeReady", "exit:3", false, Dialog::capture, 0, "", "ended with status 3"},
    {"killedBeforeReady", "signal:9", false, Dialog::capture, 0, "", "was killed by signal 9"},
    {"saysSomethingElse", "shown", false, Dialog::capture, 0, "", "said something unexpected"},
    {"neverShowsCapture", "ready,wait,wait", true, Dialog::capture, 0, "untouched", "showed no window within"},
    {"neverShowsQuestion", "ready,wait,wait", true, Dialog::question, WindowPlatform::notShown, "untouched",
     "showed no window within"},
    {"endsBeforeShown", "ready,wait,exit:0", true, Dialog::question, WindowPlatform::notShown, "untouched",
     "ended with status 0"},
    {"endsAtCapture", "ready,wait,shown,exit:4", true, Dialog::capture, 0, "untouched",
     "the window went away while asking for the operator name (the window program ended with status 4)"},
    {"killedAtCapture", "ready,wait,shown,signal:15", true, Dialog::capture, 0, "untouched", "was killed by signal 15"},
    {"endsAtQuestion", "ready,wait,shown,exit:0", true, Dialog::question, 0, "untouched",
     "the window went away at the question (the window program ended with status 0); taken as no"},
    {"orphanHoldsChannelAtCapture", "ready,wait,shown,orphan,exit:0", true, Dialog::capture, 0, "untouched",
     "ended with status 0"},
    {"orphanHoldsChannelAtQuestion", "ready,wait,shown,orphan,exit:0", true, Dialog::question, 0, "untouched",
     "taken as no"},
    {"answerThenEnds", "ready,wait,shown,answer:1:Abc,exit:0", true, Dialog::capture, 1, "Abc", ""},
    {"malformedPacket", "ready,wait,shown,raw:A1", true, Dialog::capture, 0, "untouched", "said something malformed"},
    {"answerNotUtf8", "ready,wait,shown,answer:1:A\\xffB\\xc0\\xafCd", true, Dialog::capture, 0, "untouched",
     "not UTF-8"},
    {"answerLengthWrong", "ready,wait,shown,raw:A1\\x005\\x00Abc\\x00", true, Dialog::capture, 0, "untouched",
     "said something unexpected"},
    {"errorsEscaped", "stderr:\\x1b]0;owned\\x07 hi\\x0a,ready,wait,shown,answer:1:A", true, Dialog::capture, 1, "A",
     "\\x1b]0;owned\\x07 hi\n"},
};

// The window program's answer, whatever its length, reaches the run flow as
// every capture dialog hands it over.
TEST(WindowCaptureDialog, copiesTheEntryOnlyWhenItFits)
{
    for (const CopyRow &row : copyRows()) {
        const std::string script = "--stub=ready,wait,shown,answer:1:" + row.entry;
        char *argv[] = {const_cast<char *>("kestrune"), const_cast<char *>("0"), const_cast<char *>(script.c_str()),
                        nullptr};
        std::string failure;
        std::unique_ptr<WindowPlatform> platform = WindowPlatform::start(argv, failure, 500);
        ASSERT_TRUE(platform) << failure;
        int argc = 1;
        const std::unique_ptr<Application> application(platform->createApplication(argc, argv));
        const std::unique_ptr<CaptureDialog> dialog(platform->createCaptureDialog("Kestrune", "运营商名称", 0));
        application->setMainWidget(dialog.get());
        dialog->show();
        application->exec();
        EXPECT_EQ(dialog->result(), 1) << row.name;
        expectCopiedOnlyIfItFits(*dialog, row.entry, row.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, WindowSide, testing::ValuesIn(rows),
                         [](const testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

}  // namespace
