#include "service_name_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string homeFolder()
{
    std::string home;
    if (const char *variable = std::getenv("HOME"))
        home = variable;
    if (home.empty()) {
        const passwd *user = getpwuid(getuid());
        home = user && user->pw_dir ? user->pw_dir : "/";
    }
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home == "/" ? std::string() : home;
}

std::string folderOf(const std::string &path)
{
    return path.substr(0, path.rfind('/'));
}

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

// Creates `folder` and any missing parents, like `mkdir -p`.
bool makeFolders(const std::string &folder)
{
    struct stat status;
    if (folder.empty())
        return true;
    if (stat(folder.c_str(), &status) == 0) {
        errno = S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
        return errno == 0;
    }
    if (!makeFolders(folderOf(folder)))
        return false;
    return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

bool writeAll(int descriptor, const std::string &bytes)
{
    for (size_t written = 0; written < bytes.size();) {
        const ssize_t count = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno != EINTR)
            return false;
        if (count > 0)
            written += static_cast<size_t>(count);
    }
    return true;
}

// A new file gets the permissions any new file of this user would get;
// a replaced one keeps its own.
mode_t permissionsFor(const std::string &path)
{
    struct stat status;
    if (stat(path.c_str(), &status) == 0)
        return status.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string serviceNamePath()
{
    // Relative values are invalid by the XDG base directory rules.
    std::string configHome;
    if (const char *variable = std::getenv("XDG_CONFIG_HOME"))
        configHome = variable;
    if (configHome.empty() || configHome[0] != '/')
        configHome = homeFolder() + "/.config";
    return configHome + "/kestrune/service-name";
}

std::string storeServiceName(const std::string &name)
{
    const std::string path = serviceNamePath();
    const std::string folder = folderOf(path);
    if (!makeFolders(folder))
        return systemError("cannot create the folder " + folder);

    // Written in full beside the old file, then renamed over it in one step.
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return systemError("cannot create " + temporary);
    std::string failure;
    if (fchmod(descriptor, permissionsFor(path)) != 0 || !writeAll(descriptor, name + '\n') ||
        fsync(descriptor) != 0)
        failure = systemError("cannot write " + temporary);
    if (close(descriptor) != 0 && failure.empty())
        failure = systemError("cannot write " + temporary);
    if (failure.empty() && rename(temporary.c_str(), path.c_str()) != 0)
        failure = systemError("cannot replace " + path);
    if (!failure.empty())
        unlink(temporary.c_str());
    return failure;
}

std::optional<std::string> storedServiceName()
{
    std::FILE *file = std::fopen(serviceNamePath().c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::string name;
    char chunk[4096];
    for (size_t count; (count = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        name.append(chunk, count);
    const bool failed = std::ferror(file);
    std::fclose(file);  // NOLINT(cert-err33-c): only read from, so nothing is lost
    if (failed)
        return std::nullopt;
    if (!name.empty() && name.back() == '\n')
        name.pop_back();
    return name;
}
