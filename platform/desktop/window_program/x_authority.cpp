#include "x_authority.h"

#include "write_all.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

// Far more than the few cookies of a desktop's authority file.
constexpr size_t authorityLimit = size_t{64} * 1024;

}  // namespace

std::string useBoundedXAuthority()
{
    const char *named = std::getenv("XAUTHORITY");
    const char *home = std::getenv("HOME");
    if ((!named || named[0] == '\0') && !home)
        return "";
    const std::string path = named && named[0] != '\0' ? named : std::string(home) + "/.Xauthority";
    const std::string origin = named && named[0] != '\0' ? "XAUTHORITY=" + path : path;
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0)
        return "";
    struct stat status;
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(file);
        return origin + " is not a plain file";
    }
    std::vector<char> bytes(authorityLimit + 1);
    size_t size = 0;
    for (ssize_t count; size < bytes.size(); size += static_cast<size_t>(count)) {
        count = read(file, bytes.data() + size, bytes.size() - size);
        if (count < 0 && errno == EINTR) {
            count = 0;
            continue;
        }
        if (count <= 0)
            break;
    }
    close(file);
    if (size > authorityLimit)
        return origin + " is larger than 64 KiB";
    const int copy = memfd_create("Xauthority", MFD_CLOEXEC);
    if (copy < 0 || !writeAll(copy, bytes.data(), size))
        return "cannot copy " + origin;
    setenv("XAUTHORITY", ("/proc/self/fd/" + std::to_string(copy)).c_str(), 1);
    return "";
}
