#include "window_process.h"

#include "escaped_text.h"
#include "supplementary_groups.h"

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A line of the program's standard error longer than this is passed on in
// pieces, so that memory stays bounded whatever it writes.
constexpr size_t errorLineLimit = 4096;

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

// A runtime folder for a window of root's alone: without one, the toolkit
// would make its own in the temporary folder, where anyone may make it first.
std::string privateRuntimeFolder()
{
    char folder[] = "/tmp/kestrune-runtime-XXXXXX";
    if (!mkdtemp(folder) || chmod(folder, 0700) != 0)
        return "";
    return folder;
}

int removeEntry(const char *path, const struct stat *, int, FTW *)
{
    return remove(path);
}

void writeAll(int file, const std::string &text)
{
    for (size_t done = 0; done < text.size();) {
        const ssize_t count = write(file, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        done += static_cast<size_t>(count);
    }
}

// In the child, between fork and exec: what failed goes to the tool, over
// `channel`, as the reason no window can be shown.
[[noreturn]] void failInChild(const char *what, int channel = windowChannelDescriptor)
{
    const std::string reason = std::string("the window program cannot be started: ") + what + ": " +
                               std::strerror(errno);
    sendWindowMessage(channel, {WindowMessageKind::unusable, {reason}});
    _exit(127);
}

// Gives up root for good: groups first, while it still may.
void becomeUser(const WindowUser &user)
{
    if (geteuid() == 0) {
        if (!setSupplementaryGroups(user.groups))
            failInChild("setgroups");
        if (setresgid(user.gid, user.gid, user.gid) != 0)
            failInChild("setresgid");
        if (setresuid(user.uid, user.uid, user.uid) != 0)
            failInChild("setresuid");
    }
    if (getuid() != user.uid || geteuid() != user.uid || getgid() != user.gid || getegid() != user.gid)
        failInChild("the user's ids");
    if (user.uid != 0 && setuid(0) == 0)
        failInChild("root could be had again");
}

[[noreturn]] void runChild(int program, int channel, int errors, const int toolsEnds[2], const WindowUser &user,
                           char **argv, char **environment)
{
    // The tool's ends of the channel and of the error pipe, and room for
    // the copies below when the descriptor limit is low.
    close(toolsEnds[0]);
    close(toolsEnds[1]);
    // As the program finds them: its channel, its standard streams, the
    // program itself; nothing else of the tool's.
    // Copied above the five it is given first, so that none is overwritten
    // before it has been moved; the caller's descriptor limit may be low.
    const int firstFree = windowChannelDescriptor + 2;
    const int programCopy = fcntl(program, F_DUPFD_CLOEXEC, firstFree);
    const int channelCopy = fcntl(channel, F_DUPFD, firstFree);
    const int errorsCopy = fcntl(errors, F_DUPFD, firstFree);
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (programCopy < 0 || channelCopy < 0 || errorsCopy < 0 || nothing < 0)
        failInChild("its descriptors", channel);
    if (dup2(channelCopy, windowChannelDescriptor) < 0 || dup2(nothing, STDIN_FILENO) < 0 ||
        dup2(errorsCopy, STDOUT_FILENO) < 0 || dup2(errorsCopy, STDERR_FILENO) < 0 ||
        dup2(programCopy, windowChannelDescriptor + 1) < 0)
        _exit(127);
    fcntl(windowChannelDescriptor + 1, F_SETFD, FD_CLOEXEC);
    close_range(firstFree, ~0U, 0);
    // The signals the tool ignores or catches, as a program expects them.
    for (const int signal : {SIGPIPE, SIGXFSZ, SIGHUP, SIGINT, SIGTERM})
        ::signal(signal, SIG_DFL);  // NOLINT(cert-err33-c): cannot fail for these signals
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // No controlling terminal: a process of the user's must not reach the
    // terminal that root's standard streams are on.
    if (setsid() < 0)
        failInChild("setsid");
    becomeUser(user);
    // Cleared by the change of ids above, so set only now.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (chdir("/") != 0)
        failInChild("chdir");
    fexecve(windowChannelDescriptor + 1, argv, environment);
    failInChild("exec");
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
        runtimeFolder = privateRuntimeFolder();
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
    if (pid == 0) {
        const int toolsEnds[2] = {channels[0], errorPipe[0]};
        runChild(program, channels[1], errorPipe[1], toolsEnds, user, arguments.data(), environment.data());
    }
    const int forkError = errno;
    close(channels[1]);
    close(errorPipe[1]);
    channel = channels[0];
    errors = errorPipe[0];
    if (pid < 0) {
        failure = std::string("cannot start the window program: ") + std::strerror(forkError);
        stop();
        return false;
    }
    fcntl(errors, F_SETFL, O_NONBLOCK);
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
        pollfd waits[2] = {{channel, POLLIN, 0}, {errors, POLLIN, 0}};
        const int left = timeoutMs < 0 ? -1 : static_cast<int>(std::max(0LL, deadline - nowMs()));
        const int ready = poll(waits, errors >= 0 ? 2 : 1, left);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            failure = "the window program showed no window within " + std::to_string(timeoutMs / 1000) + " s";
            return false;
        }
        if (errors >= 0 && waits[1].revents)
            passOnErrors(false);
        if (waits[0].revents == 0)
            continue;
        switch (receiveWindowMessage(channel, message)) {
        case WindowReceipt::message:
            return true;
        case WindowReceipt::malformed:
            failure = "the window program said something malformed";
            return false;
        case WindowReceipt::ended:
            failure = "the window program " + (reap(1000) ? howItEnded() : "closed its channel");
            passOnErrors(true);
            return false;
        }
    }
    failure = "the window program is not running";
    return false;
}

// Passes on the complete lines read so far; with `all`, also what is left
// once the program has gone.
void WindowProcess::passOnErrors(bool all)
{
    char chunk[4096];
    for (;;) {
        const ssize_t count = errors >= 0 ? read(errors, chunk, sizeof chunk) : 0;
        if (count > 0) {
            pendingErrors.append(chunk, static_cast<size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            if (errors >= 0)
                close(errors);
            errors = -1;
            all = true;
        }
        size_t end;
        while ((end = pendingErrors.find('\n')) != std::string::npos || pendingErrors.size() >= errorLineLimit ||
               (all && !pendingErrors.empty())) {
            end = end == std::string::npos ? std::min(pendingErrors.size(), errorLineLimit) : end + 1;
            std::string line = escapedForTerminal(pendingErrors.substr(0, end), true);
            if (line.back() != '\n')
                line += '\n';
            writeAll(STDERR_FILENO, line);
            pendingErrors.erase(0, end);
        }
        if (count <= 0)
            return;
    }
}

// Waits up to `waitMs` for the program to end; true once it has. Woken by
// the kernel the moment it ends (a pidfd), as the tool's exit waits on it.
bool WindowProcess::reap(int waitMs)
{
    if (pid <= 0)
        return false;
    const int ending = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (ending >= 0) {
        pollfd wait{ending, POLLIN, 0};
        while (poll(&wait, 1, waitMs) < 0 && errno == EINTR) {
        }
        close(ending);
    }
    for (int waited = 0;; waited += 10) {
        const pid_t ended = waitpid(pid, &endStatus, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR)) {
            pid = -1;
            return ended > 0;
        }
        if (ending >= 0 || waited >= waitMs)
            return false;
        usleep(10000);
    }
}

// "ended with status 1", "was killed by signal 11 (Segmentation fault)".
std::string WindowProcess::howItEnded() const
{
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
    if (pid > 0 && !reap(2000)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
    if (errors >= 0)
        passOnErrors(true);
    // Only root's window wrote there, and it has ended.
    if (!runtimeFolder.empty())
        nftw(runtimeFolder.c_str(), removeEntry, 8, FTW_DEPTH | FTW_PHYS);
    runtimeFolder.clear();
}
