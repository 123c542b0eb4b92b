#include "line_reader.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Far past any name that fits.
constexpr size_t maxKeptLineBytes = size_t{64} * 1024;

// Read from standard input, and from `next` on not handed out yet.
std::string pending;
size_t next = 0;

bool refill()
{
    char chunk[4096];
    for (;;) {
        const ssize_t count = read(STDIN_FILENO, chunk, sizeof chunk);
        if (count > 0) {
            pending.assign(chunk, static_cast<size_t>(count));
            next = 0;
            return true;
        }
        if (count == 0)
            return false;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd input{STDIN_FILENO, POLLIN, 0};
            poll(&input, 1, -1);
            continue;
        }
        const std::string told = "kestrune: cannot read standard input: " + std::string(std::strerror(errno)) + "\n";
        std::fputs(told.c_str(), stderr);  // NOLINT(cert-err33-c): nowhere else to report to
        return false;
    }
}

}  // namespace

bool readLine(std::string &line)
{
    line.clear();
    bool any = false;
    while (next < pending.size() || refill()) {
        any = true;
        const size_t newline = pending.find('\n', next);
        const size_t end = newline == std::string::npos ? pending.size() : newline;
        line.append(pending, next, std::min(end - next, maxKeptLineBytes - line.size()));
        next = end == pending.size() ? end : end + 1;
        if (newline != std::string::npos)
            break;
    }
    if (!any)
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}
