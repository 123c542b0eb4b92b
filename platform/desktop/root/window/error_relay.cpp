#include "error_relay.h"

#include "escaped_text.h"
#include "write_all.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// A longer line is passed on in pieces, so that memory stays bounded
// whatever the program writes.
constexpr size_t lineLimit = 4096;

// Read at most this much at one look: a process the program left behind
// may write without pause, and must not keep the tool reading.
constexpr size_t lookLimit = size_t{64} * 1024;

}  // namespace

ErrorRelay::~ErrorRelay()
{
    if (pipe >= 0)
        close(pipe);
}

void ErrorRelay::follow(int readEnd)
{
    pipe = readEnd;
    fcntl(pipe, F_SETFL, O_NONBLOCK);
}

void ErrorRelay::passOn(bool all)
{
    char chunk[4096];
    size_t looked = 0;
    for (ssize_t count = 1; count > 0 && looked < lookLimit; looked += sizeof chunk) {
        count = pipe >= 0 ? read(pipe, chunk, sizeof chunk) : 0;
        if (count > 0)
            pending.append(chunk, static_cast<size_t>(count));
        else if (count < 0 && errno == EINTR)
            count = 1;
        const bool ended = count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
        const bool lastLook = count < 0 || looked + sizeof chunk >= lookLimit;
        if (pipe >= 0 && (ended || (all && lastLook))) {
            close(pipe);
            pipe = -1;
        }
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos || pending.size() >= lineLimit ||
               (pipe < 0 && !pending.empty())) {
            end = end == std::string::npos ? std::min(pending.size(), lineLimit) : end + 1;
            std::string line = escapedForTerminal(pending.substr(0, end), true);
            if (line.back() != '\n')
                line += '\n';
            writeAll(STDERR_FILENO, line.data(), line.size());
            pending.erase(0, end);
        }
    }
}
