#include "window_module_loader.h"

#include "window_module.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Found from the executable itself, never from the working folder: the tool
// runs as root, and must not load code from wherever it was started.
std::string executableFolder()
{
    char path[PATH_MAX];
    if (!realpath("/proc/self/exe", path))
        return "";
    const std::string executable = path;
    return executable.substr(0, executable.rfind('/'));
}

bool readAt(int file, void *bytes, size_t count, off_t offset)
{
    return pread(file, bytes, count, offset) == static_cast<ssize_t>(count);
}

// Why the module must not be loaded, or an empty string. The dynamic loader
// maps a module as its headers say, and a page mapped past the end of a
// truncated file kills the process (SIGBUS) when touched: every part the
// loader maps must lie inside the file. And the module runs as root, so
// nobody but root and the executable's owner may have put it there.
std::string unloadableReason(int file, uid_t executableOwner)
{
    struct stat status;
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode))
        return "is not a plain file";
    if ((status.st_uid != 0 && status.st_uid != executableOwner) || (status.st_mode & S_IWOTH))
        return "may have been changed by another user";

    const off_t size = status.st_size;
    ElfW(Ehdr) header;
    if (!readAt(file, &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return "is not an ELF file";
    const unsigned char ownClass = __ELF_NATIVE_CLASS == 64 ? ELFCLASS64 : ELFCLASS32;
    if (header.e_ident[EI_CLASS] != ownClass || header.e_phentsize != sizeof(ElfW(Phdr)))
        return "is not built for this machine";
    const off_t headersEnd =
        static_cast<off_t>(header.e_phoff) + static_cast<off_t>(header.e_phnum) * header.e_phentsize;
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    if (headersEnd > size || !readAt(file, segments.data(), segments.size() * sizeof segments[0],
                                     static_cast<off_t>(header.e_phoff)))
        return "is damaged (cut short)";
    for (const ElfW(Phdr) &segment : segments) {
        if (static_cast<off_t>(segment.p_offset + segment.p_filesz) > size)
            return "is damaged (cut short)";
    }
    return "";
}

Platform *loadFrom(const std::string &path, std::string &failure)
{
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        failure = std::string("cannot load the window module: ") + dlerror();
        return nullptr;
    }
    // Never unloaded: the platform lives until the process ends.
    auto entryPoint = reinterpret_cast<decltype(&kestruneWindowPlatform)>(
        dlsym(module, KESTRUNE_WINDOW_ENTRY_POINT));
    if (!entryPoint) {
        failure = path + " has no entry point " KESTRUNE_WINDOW_ENTRY_POINT;
        return nullptr;
    }
    return entryPoint();
}

}  // namespace

Platform *loadWindowPlatform(std::string &failure)
{
    const std::string folder = executableFolder();
    const std::string candidates[] = {
        folder + "/" KESTRUNE_WINDOW_MODULE,
        folder + "/../" KESTRUNE_INSTALLED_MODULE_DIR "/" KESTRUNE_WINDOW_MODULE,
    };
    struct stat executable;
    if (stat("/proc/self/exe", &executable) != 0)
        executable.st_uid = 0;
    for (const std::string &path : candidates) {
        const int file = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (file < 0 && errno == ENOENT)
            continue;
        const std::string reason = file >= 0        ? unloadableReason(file, executable.st_uid)
                                   : errno == ELOOP ? "is a symbolic link"
                                                    : std::string("cannot be opened: ") + std::strerror(errno);
        if (file >= 0)
            close(file);
        if (!reason.empty()) {
            failure = "the window module " + path + " " + reason;
            return nullptr;
        }
        return loadFrom(path, failure);
    }
    failure = "no window module at " + candidates[0] + " or " + candidates[1];
    return nullptr;
}
