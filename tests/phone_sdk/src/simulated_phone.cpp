#include "simulated_phone.h"

#include "console_capture.h"

namespace {

// Built on first use: programs call into the toolkit during static
// initialisation, possibly before this file's own statics exist.
std::vector<std::string> &callLog()
{
    static std::vector<std::string> calls;
    return calls;
}

ConsoleCapture *console = nullptr;

void logWritten()
{
    if (!console)
        return;
    const std::string written = console->takeWritten();
    if (!written.empty())
        callLog().push_back("stdout: " + written);
}

}  // namespace

PhoneScript &phoneScript()
{
    static PhoneScript script;
    return script;
}

void recordCall(const std::string &call)
{
    logWritten();
    callLog().push_back(call);
}

std::vector<std::string> takeRecordedCalls()
{
    logWritten();
    std::vector<std::string> calls;
    calls.swap(callLog());
    return calls;
}

void logConsole(ConsoleCapture *capture)
{
    logWritten();
    console = capture;
    if (console)
        console->takeWritten();
}

std::string quoted(const char *text)
{
    return text ? '"' + std::string(text) + '"' : "null";
}
