#include "privilege_drop.h"

#include "supplementary_groups.h"
#include "window_protocol.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// What failed goes to the tool over `channel`.
[[noreturn]] void fail(const char *what, int channel = windowChannelDescriptor)
{
    const std::string reason = std::string("the window program cannot be started: ") + what + ": " +
                               std::strerror(errno);
    sendWindowMessage(channel, {WindowMessageKind::unusable, {reason}});
    _exit(127);
}

// Groups first, while it still may.
void becomeUser(const WindowUser &user)
{
    if (geteuid() == 0) {
        if (!setSupplementaryGroups(user.groups))
            fail("setgroups");
        if (setresgid(user.gid, user.gid, user.gid) != 0)
            fail("setresgid");
        if (setresuid(user.uid, user.uid, user.uid) != 0)
            fail("setresuid");
    }
    if (getuid() != user.uid || geteuid() != user.uid || getgid() != user.gid || getegid() != user.gid)
        fail("the user's ids");
    if (user.uid != 0 && setuid(0) == 0)
        fail("root could be had again");
}

// As the program finds them: its channel, its standard streams, the program
// itself; nothing else of the tool's. Each is copied above the five it is
// given first, so that none is overwritten before it has been moved; the
// caller's descriptor limit may be low.
void arrangeDescriptors(const WindowChild &child)
{
    close(child.toolsEnds[0]);
    close(child.toolsEnds[1]);
    const int firstFree = windowChannelDescriptor + 2;
    const int programCopy = fcntl(child.program, F_DUPFD_CLOEXEC, firstFree);
    const int channelCopy = fcntl(child.channel, F_DUPFD, firstFree);
    const int errorsCopy = fcntl(child.errors, F_DUPFD, firstFree);
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (programCopy < 0 || channelCopy < 0 || errorsCopy < 0 || nothing < 0)
        fail("its descriptors", child.channel);
    if (dup2(channelCopy, windowChannelDescriptor) < 0 || dup2(nothing, STDIN_FILENO) < 0 ||
        dup2(errorsCopy, STDOUT_FILENO) < 0 || dup2(errorsCopy, STDERR_FILENO) < 0 ||
        dup2(programCopy, windowChannelDescriptor + 1) < 0)
        _exit(127);
    fcntl(windowChannelDescriptor + 1, F_SETFD, FD_CLOEXEC);
    close_range(firstFree, ~0U, 0);
}

}  // namespace

void runWindowChild(const WindowChild &child)
{
    arrangeDescriptors(child);
    // The signals the tool ignores or catches, as a program expects them.
    for (const int signal : {SIGPIPE, SIGXFSZ, SIGHUP, SIGINT, SIGTERM})
        ::signal(signal, SIG_DFL);  // NOLINT(cert-err33-c): cannot fail for these signals
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // No controlling terminal: a process of the user's must not reach the
    // terminal that root's standard streams are on.
    if (setsid() < 0)
        fail("setsid");
    becomeUser(*child.user);
    // Cleared by the change of ids above, so set only now.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (chdir("/") != 0)
        fail("chdir");
    fexecve(windowChannelDescriptor + 1, child.argv, child.environment);
    fail("exec");
}
