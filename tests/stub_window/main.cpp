// A window program that plays a script instead of showing windows, so that
// the tests can have the tool's window side meet every way a window program
// can behave, well or badly. Built under the real one's name, in a folder of
// its own, so that a tool or test program beside it runs it.
//
// The tool hands its window program its own command line; the script is the
// argument "--stub=STEP,STEP,...", each step one of:
//   ready | shown           say so
//   unusable:TEXT           say why no window can be shown
//   wait                    read the tool's next request
//   answer:CODE:TEXT        answer with CODE and TEXT (and TEXT's length)
//   raw:TEXT                send TEXT as a packet of its own, as it is
//   stderr:TEXT             write TEXT to standard error
//   orphan                  leave a child behind that holds the channel for a
//                           minute, and write "orphan PID" to standard error
//   writing-orphan          the same, writing to standard error without pause
//   sleep:SECONDS | exit:STATUS | signal:NUMBER
// TEXT may hold \xNN for any byte. At the end of the script the program waits
// for the tool to close the channel, as the real one does.
#include "window_protocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const int channel = windowChannelDescriptor;

std::string unescaped(const std::string &text)
{
    std::string bytes;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text.compare(at, 2, "\\x") == 0 && at + 3 < text.size()) {
            bytes += static_cast<char>(std::strtol(text.substr(at + 2, 2).c_str(), nullptr, 16));
            at += 3;
        } else {
            bytes += text[at];
        }
    }
    return bytes;
}

void play(const std::string &step)
{
    const size_t colon = step.find(':');
    const std::string verb = step.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : unescaped(step.substr(colon + 1));
    WindowMessage request;
    if (verb == "ready") {
        sendWindowMessage(channel, {WindowMessageKind::ready, {}});
    } else if (verb == "shown") {
        sendWindowMessage(channel, {WindowMessageKind::shown, {}});
    } else if (verb == "unusable") {
        sendWindowMessage(channel, {WindowMessageKind::unusable, {value}});
    } else if (verb == "wait") {
        receiveWindowMessage(channel, request);
    } else if (verb == "answer") {
        const size_t split = value.find(':');
        const std::string text = value.substr(split + 1);
        sendWindowMessage(channel, {WindowMessageKind::answer,
                                    {value.substr(0, split), std::to_string(text.size()), text}});
    } else if (verb == "raw") {
        send(channel, value.data(), value.size(), MSG_NOSIGNAL);
    } else if (verb == "stderr") {
        if (write(STDERR_FILENO, value.data(), value.size()) < 0)
            _exit(2);
    } else if (verb == "orphan") {
        const pid_t orphan = fork();
        if (orphan == 0) {
            sleep(60);
            _exit(0);
        }
        const std::string told = "orphan " + std::to_string(orphan) + "\n";
        if (write(STDERR_FILENO, told.data(), told.size()) < 0)
            _exit(2);
    } else if (verb == "writing-orphan") {
        const pid_t orphan = fork();
        if (orphan == 0) {
            const std::string line(1000, 'w');
            for (const time_t end = time(nullptr) + 60; time(nullptr) < end;) {
                if (write(STDERR_FILENO, line.data(), line.size()) < 0)
                    _exit(0);
            }
            _exit(0);
        }
    } else if (verb == "sleep") {
        sleep(static_cast<unsigned>(std::atoi(value.c_str())));
    } else if (verb == "exit") {
        _exit(std::atoi(value.c_str()));
    } else if (verb == "signal") {
        std::raise(std::atoi(value.c_str()));
    }
}

}  // namespace

int main(int argc, char **argv)
{
    std::string script;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--stub=", 7) == 0)
            script = argv[i] + 7;
    }
    for (size_t start = 0; start <= script.size();) {
        const size_t end = std::min(script.find(',', start), script.size());
        play(script.substr(start, end - start));
        start = end + 1;
    }
    WindowMessage request;
    while (receiveWindowMessage(channel, request) == WindowReceipt::message) {
    }
    return 0;
}
