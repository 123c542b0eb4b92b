#include "window_process.h"

#include "privilege_drop.h"
#include "runtime_folder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

long long nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool namedIn(const std::vector<std::string> &variables, const std::string &name)
{
    return std::any_of(variables.begin(), variables.end(),
                       [&](const std::string &variable) { return variable.rfind(name + "=", 0) == 0; });
}

}  // namespace

WindowProcess::~WindowProcess()
{
    stop();
}

bool WindowProcess::start(int program, const WindowUser &user, char **argv, std::string &failure)
{
    int channels[2];
    int errorPipe[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, channels) != 0) {
        failure = std::string("cannot make the window program's channel: ") + std::strerror(errno);
        return false;
    }
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        failure = std::string("cannot make the window program's channel: ") + std::strerror(errno);
        close(channels[0]);
        close(channels[1]);
        return false;
    }
    // Made before the fork, so that the child only has to use them.
    std::vector<std::string> variables = windowEnvironment(user);
    if (user.uid == 0 && !namedIn(variables, "XDG_RUNTIME_DIR")) {
        runtimeFolder = makeRuntimeFolder();
        if (!runtimeFolder.empty())
            variables.push_back("XDG_RUNTIME_DIR=" + runtimeFolder);
    }
    std::vector<char *> environment(variables.size() + 1, nullptr);
    std::transform(variables.begin(), variables.end(), environment.begin(),
                   [](std::string &variable) { return &variable[0]; });
    std::string programName = KESTRUNE_WINDOW_PROGRAM;
    std::vector<char *> arguments{&programName[0]};
    for (char **argument = argv + 1; *argument; ++argument)
        arguments.push_back(*argument);
    arguments.push_back(nullptr);

    pid = fork();
    if (pid == 0)
        runWindowChild({program, channels[1], errorPipe[1], {channels[0], errorPipe[0]}, &user, arguments.data(),
                        environment.data()});
    const int forkError = errno;
    close(channels[1]);
    close(errorPipe[1]);
    channel = channels[0];
    errors.follow(errorPipe[0]);
    if (pid < 0) {
        failure = std::string("cannot start the window program: ") + std::strerror(forkError);
        stop();
        return false;
    }
    // Not reaped yet, so the id is still the program's. Without pidfds
    // (before Linux 5.3), its end is looked for every 100 ms instead.
    ending = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    return true;
}

bool WindowProcess::send(const WindowMessage &message)
{
    return channel >= 0 && sendWindowMessage(channel, message);
}

bool WindowProcess::receive(WindowMessage &message, int timeoutMs, std::string &failure)
{
    const long long deadline = nowMs() + timeoutMs;
    while (channel >= 0) {
        pollfd waits[3] = {{channel, POLLIN, 0}, {ending, POLLIN, 0}, {errors.descriptor(), POLLIN, 0}};
        int left = timeoutMs < 0 ? -1 : static_cast<int>(std::max(0LL, deadline - nowMs()));
        if (ending < 0 && (left < 0 || left > 100))
            left = 100;
        const int ready = poll(waits, 3, left);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            failure = std::string("cannot wait for the window program: ") + std::strerror(errno);
            return false;
        }
        if (waits[2].revents)
            errors.passOn(false);
        // The channel first: what the program said before it ended counts.
        if (waits[0].revents) {
            switch (receiveWindowMessage(channel, message)) {
            case WindowReceipt::message:
                return true;
            case WindowReceipt::malformed:
                failure = "the window program said something malformed";
                return false;
            case WindowReceipt::ended:
                return endedFailure(failure);
            }
        }
        if (waits[1].revents || (ending < 0 && hasEnded()))
            return endedFailure(failure);
        if (timeoutMs >= 0 && nowMs() >= deadline) {
            failure = "the window program showed no window within " + std::to_string(timeoutMs / 1000) + " s";
            return false;
        }
    }
    failure = "the window program is not running";
    return false;
}

// Why the program says no more: how it ended, once it has.
bool WindowProcess::endedFailure(std::string &failure)
{
    failure = "the window program " + (reap(1000) ? howItEnded() : "closed its channel");
    errors.passOn(true);
    return false;
}

// Also once it can no longer be waited for: then it is gone, and how it
// ended is not known.
bool WindowProcess::hasEnded()
{
    if (reaped || pid <= 0)
        return reaped;
    pid_t ended;
    while ((ended = waitpid(pid, &endStatus, WNOHANG)) < 0 && errno == EINTR) {
    }
    reaped = ended == pid || ended < 0;
    statusKnown = ended == pid;
    return reaped;
}

// Waits up to `waitMs` for the program to end; true once it has. Woken by
// the kernel the moment it ends, as the tool's exit waits on it.
bool WindowProcess::reap(int waitMs)
{
    if (ending >= 0 && !reaped) {
        pollfd wait{ending, POLLIN, 0};
        while (poll(&wait, 1, waitMs) < 0 && errno == EINTR) {
        }
    }
    for (int waited = 0; !hasEnded() && pid > 0 && ending < 0 && waited < waitMs; waited += 10)
        usleep(10000);
    return hasEnded();
}

// "ended with status 1", "was killed by signal 11 (Segmentation fault)".
std::string WindowProcess::howItEnded() const
{
    if (!statusKnown)
        return "ended";
    if (WIFSIGNALED(endStatus))
        return "was killed by signal " + std::to_string(WTERMSIG(endStatus)) + " (" +
               strsignal(WTERMSIG(endStatus)) + ")";
    return "ended with status " + std::to_string(WEXITSTATUS(endStatus));
}

void WindowProcess::stop()
{
    if (channel >= 0)
        close(channel);
    channel = -1;
    // Only a program still running is killed: once reaped, its id may be
    // another process's.
    if (pid > 0 && !reap(2000)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
    if (ending >= 0)
        close(ending);
    ending = -1;
    errors.passOn(true);
    // Only root's window wrote there, and it has ended.
    if (!runtimeFolder.empty())
        removeRuntimeFolder(runtimeFolder);
    runtimeFolder.clear();
}
