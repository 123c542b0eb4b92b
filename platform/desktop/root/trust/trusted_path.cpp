#include "trusted_path.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <vector>

namespace {

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

// The names to walk, in order; those of `creatable` may be made.
struct Step {
    std::string name;
    bool creatable;
};

void addSteps(const std::string &path, bool creatable, std::vector<Step> &steps)
{
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(start, end - start);
        if (!name.empty() && name != ".")
            steps.push_back({name, creatable});
        start = end + 1;
    }
}

Descriptor openFolderAt(int parent, const std::string &name)
{
    return Descriptor(
        openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
}

std::string untrustedFolder(int folder, const std::string &path, const TrustRule &rule)
{
    struct stat status;
    if (fstat(folder, &status) != 0)
        return systemError("cannot examine " + path);
    return untrustedReason(status, path, rule);
}

// Why `name` in `parent` could not be opened as a folder; errno is still the
// open's.
std::string unopenableReason(int parent, const std::string &name, const std::string &path)
{
    const int error = errno;
    if (error == ENOENT)
        return path + " does not exist";
    struct stat status;
    if (fstatat(parent, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(status.st_mode))
            return path + " is a symbolic link";
        if (!S_ISDIR(status.st_mode))
            return path + " is not a folder";
    }
    errno = error;
    return systemError("cannot open the folder " + path);
}

// Makes the folder `name` inside the trusted `parent` and opens it.
Descriptor makeFolderAt(int parent, const std::string &parentPath, const std::string &name,
                        const std::string &path, const TrustRule &rule, std::string &failure)
{
    failure = untrustedFolder(parent, parentPath, rule);
    if (!failure.empty())
        return Descriptor();
    // 0700 whatever the umask: one that takes the owner's bits away would
    // leave a folder that even we could not enter.
    const mode_t mask = umask(077);
    const bool made = mkdirat(parent, name.c_str(), 0700) == 0 || errno == EEXIST;
    umask(mask);
    if (!made) {
        failure = systemError("cannot create the folder " + path);
        return Descriptor();
    }
    return openFolderAt(parent, name);
}

}  // namespace

TrustRule trustRule(uid_t user, const char *named, OthersWriting othersWriting)
{
    return {user, named, othersWriting, currentUserNamespace()};
}

std::string untrustedReason(const struct stat &status, const std::string &path, const TrustRule &rule)
{
    if (!rule.trustsOwner(status))
        return path + " belongs to user " + std::to_string(status.st_uid) + ", not to root or to " +
               rule.named;
    const bool othersMayWrite = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    const bool sticky = (status.st_mode & S_ISVTX) != 0;
    if (othersMayWrite && (rule.othersWriting == OthersWriting::refused ||
                           (rule.othersWriting == OthersWriting::refusedUnlessSticky && !sticky)))
        return path + " may be written by other users";
    return "";
}

Descriptor openTrustedFolder(const std::string &existing, const std::string &creatable, bool create,
                             const TrustRule &rule, std::string &failure)
{
    std::vector<Step> steps;
    addSteps(existing, false, steps);
    addSteps(creatable, create, steps);

    Descriptor folder(open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) {
        failure = systemError("cannot open the folder /");
        return Descriptor();
    }
    std::string path;
    for (const Step &step : steps) {
        const std::string parentPath = path.empty() ? "/" : path;
        path += "/" + step.name;
        Descriptor next = openFolderAt(folder.get(), step.name);
        if (!next && errno == ENOENT && step.creatable)
            next = makeFolderAt(folder.get(), parentPath, step.name, path, rule, failure);
        if (!next) {
            if (failure.empty())
                failure = unopenableReason(folder.get(), step.name, path);
            return Descriptor();
        }
        folder = std::move(next);
    }
    failure = untrustedFolder(folder.get(), path.empty() ? "/" : path, rule);
    return failure.empty() ? std::move(folder) : Descriptor();
}
