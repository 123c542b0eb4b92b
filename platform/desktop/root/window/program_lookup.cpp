#include "program_lookup.h"

#include "trusted_path.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Found from the executable itself, never from the working folder: the tool
// runs as root, and must not run code from wherever it was started.
std::string executableFolder()
{
    char path[PATH_MAX];
    if (!realpath("/proc/self/exe", path))
        return "";
    const std::string executable = path;
    return executable.substr(0, executable.rfind('/'));
}

// Why `folder` (absolute, without links) and the folders above it could be
// changed by someone `rule` does not trust, or an empty string. The folder
// itself must be written by nobody else; one above it may be, if sticky.
std::string untrustedFolder(const std::string &folder, TrustRule rule)
{
    rule.othersWriting = OthersWriting::refused;
    for (std::string path = folder;; path.resize(path.rfind('/'))) {
        const std::string shown = path.empty() ? "/" : path;
        struct stat status;
        if (lstat(shown.c_str(), &status) != 0)
            return shown + " cannot be looked at: " + std::strerror(errno);
        std::string reason = untrustedReason(status, shown, rule);
        if (!reason.empty() || path.empty())
            return reason;
        rule.othersWriting = OthersWriting::refusedUnlessSticky;
    }
}

// The folder of `path`, whose links have been resolved.
std::string folderOf(const std::string &path)
{
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
        return path.substr(0, path.rfind('/'));
    const std::string real = resolved;
    return real.substr(0, real.rfind('/'));
}

}  // namespace

int openWindowProgram(std::string &failure)
{
    const std::string folder = executableFolder();
    struct stat executable;
    if (folder.empty() || stat("/proc/self/exe", &executable) != 0) {
        failure = "the tool's own folder cannot be found";
        return -1;
    }
    const std::string candidates[] = {
        folder + "/" KESTRUNE_WINDOW_PROGRAM,
        folder + "/../" KESTRUNE_INSTALLED_PROGRAM_DIR "/" KESTRUNE_WINDOW_PROGRAM,
    };
    const TrustRule rule = trustRule(executable.st_uid, "the tool's owner", OthersWriting::refused);
    for (const std::string &path : candidates) {
        const int program = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (program < 0 && errno == ENOENT)
            continue;
        std::string reason;
        struct stat status;
        if (program < 0)
            reason = errno == ELOOP ? "is a symbolic link" : std::string("cannot be opened: ") + std::strerror(errno);
        else if (fstat(program, &status) != 0 || !S_ISREG(status.st_mode))
            reason = "is not a plain file";
        else if (!untrustedReason(status, path, rule).empty())
            reason = "may have been changed by another user";
        if (reason.empty()) {
            const std::string untrusted = untrustedFolder(folder, rule);
            const std::string untrustedProgramFolder = untrustedFolder(folderOf(path), rule);
            reason = !untrusted.empty() ? untrusted : untrustedProgramFolder;
            if (!reason.empty()) {
                failure = "the window program is not run, as " + reason;
                close(program);
                return -1;
            }
            return program;
        }
        if (program >= 0)
            close(program);
        failure = "the window program " + path + " " + reason;
        return -1;
    }
    failure = "no window program at " + candidates[0] + " or " + candidates[1];
    return -1;
}
