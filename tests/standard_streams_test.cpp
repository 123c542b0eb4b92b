// What the tool makes of its standard streams before anything else, whatever
// state it was started in. Each row runs in a child process of its own, with
// some of descriptors 0, 1 and 2 closed first.
#include "standard_streams.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool isDevNull(int descriptor)
{
    struct stat opened, devNull;
    return fstat(descriptor, &opened) == 0 && stat("/dev/null", &devNull) == 0 &&
           opened.st_rdev == devNull.st_rdev && S_ISCHR(opened.st_mode);
}

// The lowest free descriptor above 2, found through one that is open.
int firstFreeAboveTwo(int open)
{
    const int probe = fcntl(open, F_DUPFD, 3);
    close(probe);
    return probe;
}

// In the child: closes the descriptors of `closedMask` (bit n: descriptor n),
// leaves the others on a pipe, prepares the streams and writes one line to
// standard output without flushing. Exits with a bit set for each broken
// promise: 1 a closed descriptor is not on /dev/null the right way round, 2 an open one was
// replaced, 4 SIGPIPE or SIGXFSZ is not ignored or SIGCHLD not at its default, 8 the line
// could not be written, 16 a
// descriptor was opened beyond the three.
int childOutcome(int closedMask, int pipeWriteEnd, ino_t pipeInode)
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (closedMask & (1 << descriptor))
            close(descriptor);
        else
            dup2(pipeWriteEnd, descriptor);
    }
    const int firstFreeBefore = firstFreeAboveTwo(pipeWriteEnd);
    signal(SIGCHLD, SIG_IGN);
    prepareStandardStreams();

    int broken = 0;
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        struct stat status;
        // Standard input is read from, the other two written to.
        const int wanted = descriptor == 0 ? O_RDONLY : O_WRONLY;
        if (closedMask & (1 << descriptor))
            broken |= isDevNull(descriptor) && (fcntl(descriptor, F_GETFL) & O_ACCMODE) == wanted ? 0 : 1;
        else
            broken |= fstat(descriptor, &status) == 0 && status.st_ino == pipeInode ? 0 : 2;
    }
    broken |= firstFreeAboveTwo(pipeWriteEnd) == firstFreeBefore ? 0 : 16;
    for (const int ignored : {SIGPIPE, SIGXFSZ}) {
        struct sigaction action;
        sigaction(ignored, nullptr, &action);
        broken |= action.sa_handler == SIG_IGN ? 0 : 4;
    }
    struct sigaction child;
    sigaction(SIGCHLD, nullptr, &child);
    broken |= child.sa_handler == SIG_DFL ? 0 : 4;
    if (!(closedMask & 2) && std::printf("setup to 'Abc'\n") < 0)
        broken |= 8;
    return broken;
}

TEST(StandardStreams, closedOnesGoToDevNullAndEachLineIsOutAtOnce)
{
    for (int closedMask = 0; closedMask <= 7; ++closedMask) {
        int channel[2];
        ASSERT_EQ(pipe(channel), 0);
        struct stat pipeStatus;
        ASSERT_EQ(fstat(channel[1], &pipeStatus), 0);
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            _exit(childOutcome(closedMask, channel[1], pipeStatus.st_ino));
        }
        close(channel[1]);
        // The child ends with _exit, which flushes nothing: only a line that
        // was written out at once arrives.
        char received[64] = {};
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const ssize_t count = read(channel[0], received, sizeof received - 1);
        close(channel[0]);
        EXPECT_EQ(WEXITSTATUS(status), 0) << "descriptors closed: mask " << closedMask;
        if (!(closedMask & 2)) {
            EXPECT_EQ(std::string(received, count > 0 ? count : 0), "setup to 'Abc'\n")
                << "descriptors closed: mask " << closedMask;
        }
    }
}

}  // namespace
