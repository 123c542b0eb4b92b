#include "console_capture.h"

#include <unistd.h>

ConsoleCapture::ConsoleCapture() : file(std::tmpfile()), savedStdout(dup(STDOUT_FILENO))
{
    std::fflush(stdout);
    dup2(fileno(file), STDOUT_FILENO);
}

ConsoleCapture::~ConsoleCapture()
{
    std::fflush(stdout);
    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    std::fclose(file);
}

std::string ConsoleCapture::takeWritten()
{
    std::fflush(stdout);
    std::string written;
    char chunk[4096];
    ssize_t count;
    while ((count = pread(fileno(file), chunk, sizeof chunk, readUpTo)) > 0) {
        written.append(chunk, static_cast<size_t>(count));
        readUpTo += count;
    }
    return written;
}
