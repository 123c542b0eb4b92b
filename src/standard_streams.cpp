#include "standard_streams.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

void prepareStandardStreams()
{
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        // open() takes the lowest free number, which is this one.
        if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF)
            open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
    setvbuf(stdout, 0, _IOLBF, BUFSIZ);  // NOLINT(cert-err33-c): stdout's own buffering is all that is left
    signal(SIGPIPE, SIG_IGN);            // NOLINT(cert-err33-c): cannot fail for SIGPIPE
    // A file size limit set by whoever started us (ulimit -f) must fail a
    // write, which the store reports and undoes, rather than kill the run
    // halfway through it.
    signal(SIGXFSZ, SIG_IGN);            // NOLINT(cert-err33-c): cannot fail for SIGXFSZ
    // Our children are ours to wait for: with SIGCHLD ignored, as a caller
    // may leave it, the kernel reaps them first, and a refresh that did
    // start would be told as one that could not.
    signal(SIGCHLD, SIG_DFL);            // NOLINT(cert-err33-c): cannot fail for SIGCHLD
}
