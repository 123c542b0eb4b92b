#include "write_all.h"

#include <unistd.h>

#include <cerrno>

bool writeAll(int descriptor, const char *bytes, size_t size)
{
    while (size > 0) {
        const ssize_t count = write(descriptor, bytes, size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        bytes += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}
