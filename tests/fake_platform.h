// A platform that plays a scripted run and records every call the run flow
// makes, with its arguments, in one trace. Lines the flow writes to standard
// output are recorded in the same trace, at the point where they were written.
#pragma once

#include "console_capture.h"
#include "platform.h"

#include <string>
#include <vector>

// How SIGHUP, SIGPIPE and SIGXFSZ are handled now:
// "[SIGHUP default, SIGPIPE ignored, SIGXFSZ ignored]".
std::string signalDispositions();

struct FakeScript {
    int realUserId = 0;
    int captureResult = 1;          // 0: the user cancelled
    std::string enteredText;        // UTF-8, as the toolkit hands it over
    int confirmationResult = 0;     // 1: yes
    int refreshStatus = 0;          // what runShellCommand gives: 0, the command started
    bool toolkitTakesArguments = false;  // drops argv[1], as toolkits do with their own options
};

class FakePlatform : public Platform {
public:
    FakePlatform(const FakeScript &script, ConsoleCapture &console);

    // Call after the run, to pick up output written after the last call.
    const std::vector<std::string> &finishedTrace();

    void record(const std::string &event);
    const FakeScript script;

    Application *createApplication(int &argc, char **argv) override;
    int realUserId() override;
    MessageDialog *createMessageDialog(const char *caption, const char *text,
                                       MessageDialogType type) override;
    CaptureDialog *createCaptureDialog(const char *caption, const char *prompt,
                                       int type) override;
    void setServiceName(const char *name) override;
    int runShellCommand(const char *command) override;

private:
    ConsoleCapture &console;
    std::vector<std::string> trace;
};
