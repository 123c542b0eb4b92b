#include "service_name_store.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const char fileName[] = "service-name";

// Closes the descriptor it holds when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : descriptor(descriptor) {}
    Descriptor(Descriptor &&other) noexcept : descriptor(std::exchange(other.descriptor, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        std::swap(descriptor, other.descriptor);
        return *this;
    }
    ~Descriptor()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }

    int get() const { return descriptor; }
    explicit operator bool() const { return descriptor >= 0; }

    // Closes now, so that a failure to write back can still be reported.
    bool close()
    {
        return ::close(std::exchange(descriptor, -1)) == 0;
    }

private:
    int descriptor;
};

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

// An absolute path without the slashes at its end, or an empty string.
std::string absoluteFolder(const char *path)
{
    if (!path || path[0] != '/')
        return "";
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// HOME as the login set it, unless it is not an absolute path: a relative
// HOME would put the store wherever the tool was started. Then the password
// database's, as for a login. Empty when neither names a folder.
std::string homeFolder()
{
    if (std::string home = absoluteFolder(std::getenv("HOME")); !home.empty())
        return home;
    const passwd *user = getpwuid(getuid());
    return absoluteFolder(user ? user->pw_dir : nullptr);
}

// Where the store lives: a folder that must exist already (the config home
// that XDG_CONFIG_HOME names, or the home), and the folders below it that
// the store may create, the last one its own. Nothing above them is ever
// made: a home or config home that is missing is a mistake of whoever set
// it, and root would otherwise build a tree wherever the environment says.
struct Location {
    std::string existing;
    std::string creatable;
    std::string failure;
};

std::string pathOf(const Location &location)
{
    if (location.existing.empty())
        return "~/.config/kestrune/" + std::string(fileName);
    return (location.existing == "/" ? "" : location.existing) + "/" + location.creatable + "/" +
           fileName;
}

Location storeLocation()
{
    Location location;
    // Relative values are invalid by the XDG base directory rules.
    if (const std::string configHome = absoluteFolder(std::getenv("XDG_CONFIG_HOME")); !configHome.empty()) {
        location = {configHome, "kestrune", ""};
    } else if (const std::string home = homeFolder(); !home.empty()) {
        location = {home, ".config/kestrune", ""};
    } else {
        location.failure = "no home folder: HOME is not an absolute path, and the password database names none";
    }
    // No program could open a longer path.
    if (pathOf(location).size() >= PATH_MAX)
        location.failure = "the path is longer than " + std::to_string(PATH_MAX) + " bytes";
    return location;
}

bool ownedByUs(const struct stat &status)
{
    return status.st_uid == 0 || status.st_uid == getuid();
}

// What may be written into: a folder of root's or of the user running the
// tool. Anyone else who owns it could swap what is written there for a link.
std::string untrustedReason(int folder, const std::string &path)
{
    struct stat status;
    if (fstat(folder, &status) != 0)
        return systemError("cannot examine " + path);
    if (!ownedByUs(status))
        return path + " belongs to user " + std::to_string(status.st_uid) +
               ", not to root or to the user running kestrune";
    return "";
}

Descriptor openFolderAt(int parent, const std::string &name)
{
    return Descriptor(
        openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
}

std::string unopenableReason(int parent, const std::string &name, const std::string &path)
{
    const int error = errno;
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

// Opens the store's folder one name at a time, never through a symbolic
// link, so that nobody can redirect it while it is walked. With `create`,
// makes the missing folders below the existing part, 0700 as the XDG rules
// ask, each only inside a folder that may be written into. The whole path is
// walked once, so any path costs one step a name.
Descriptor openStoreFolder(const Location &location, bool create, std::string &failure)
{
    Descriptor folder(open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::string path;
    const std::string names = location.existing + "/" + location.creatable;
    const size_t creatableFrom = location.existing.size();
    for (size_t start = 0; folder && start < names.size();) {
        size_t end = names.find('/', start);
        if (end == std::string::npos)
            end = names.size();
        const std::string name = names.substr(start, end - start);
        const bool mayCreate = create && start >= creatableFrom;
        start = end + 1;
        if (name.empty() || name == ".")
            continue;
        const std::string parentPath = path.empty() ? "/" : path;
        path += "/" + name;

        Descriptor next = openFolderAt(folder.get(), name);
        if (!next && errno == ENOENT && mayCreate) {
            failure = untrustedReason(folder.get(), parentPath);
            if (!failure.empty())
                return Descriptor();
            // 0700 whatever the umask: one that takes the owner's bits away
            // would leave a folder that even we could not enter.
            const mode_t mask = umask(077);
            const bool made = mkdirat(folder.get(), name.c_str(), 0700) == 0 || errno == EEXIST;
            umask(mask);
            if (!made) {
                failure = systemError("cannot create the folder " + path);
                return Descriptor();
            }
            next = openFolderAt(folder.get(), name);
        }
        if (!next) {
            failure = errno == ENOENT ? path + " does not exist"
                                      : unopenableReason(folder.get(), name, path);
            return Descriptor();
        }
        folder = std::move(next);
    }
    if (!folder) {
        failure = systemError("cannot open the folder /");
        return Descriptor();
    }
    failure = untrustedReason(folder.get(), path);
    return failure.empty() ? std::move(folder) : Descriptor();
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

// What any new file of this user gets. A replaced file of ours keeps its
// permissions, but never more than that: no bits of another user's file, and
// no executable, set-id or sticky bits.
mode_t permissionsFor(int folder)
{
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t allowed = 0666 & ~mask;
    struct stat old;
    if (fstatat(folder, fileName, &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode) &&
        ownedByUs(old))
        return old.st_mode & allowed;
    return allowed;
}

std::string randomSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[6];
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // Only before the kernel's pool is ready; O_EXCL keeps names apart anyway.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        for (size_t i = 0; i < sizeof bytes; ++i)
            bytes[i] = static_cast<unsigned char>((now.tv_nsec >> (5 * i)) ^ getpid());
    }
    std::string suffix;
    for (unsigned char byte : bytes)
        suffix += letters[byte % (sizeof letters - 1)];
    return suffix;
}

// A new file beside the stored one, which nobody else can have made or see
// half written; its name goes into `name`.
Descriptor createTemporary(int folder, std::string &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = std::string(fileName) + "." + randomSuffix();
        Descriptor file(openat(folder, name.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file || errno != EEXIST)
            return file;
    }
    return Descriptor();
}

}  // namespace

std::string serviceNamePath()
{
    return pathOf(storeLocation());
}

std::string storeServiceName(const std::string &name)
{
    const Location location = storeLocation();
    if (!location.failure.empty())
        return location.failure;
    std::string failure;
    const Descriptor folder = openStoreFolder(location, true, failure);
    if (!folder)
        return failure;

    // Written in full beside the old file, then renamed over it in one step.
    const std::string path = pathOf(location);
    const std::string folderPath = path.substr(0, path.rfind('/'));
    std::string temporary;
    Descriptor file = createTemporary(folder.get(), temporary);
    if (!file)
        return systemError("cannot create a file in " + folderPath);
    const std::string temporaryPath = folderPath + "/" + temporary;
    if (fchmod(file.get(), permissionsFor(folder.get())) != 0 || !writeAll(file.get(), name + '\n') ||
        fsync(file.get()) != 0)
        failure = systemError("cannot write " + temporaryPath);
    if (!file.close() && failure.empty())
        failure = systemError("cannot write " + temporaryPath);
    if (failure.empty() && renameat(folder.get(), temporary.c_str(), folder.get(), fileName) != 0)
        failure = systemError("cannot replace " + path);
    if (!failure.empty()) {
        unlinkat(folder.get(), temporary.c_str(), 0);
        return failure;
    }
    // The rename is an entry of the folder: only flushing the folder keeps a
    // power cut from bringing the old name back.
    if (fsync(folder.get()) != 0)
        return systemError("cannot flush the folder " + folderPath);
    return "";
}

std::optional<std::string> storedServiceName()
{
    const Location location = storeLocation();
    std::string failure;
    if (!location.failure.empty())
        return std::nullopt;
    const Descriptor folder = openStoreFolder(location, false, failure);
    if (!folder)
        return std::nullopt;
    // Without blocking: a FIFO put in its place must not hang the tool.
    const Descriptor file(
        openat(folder.get(), fileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file)
        return std::nullopt;
    return readStoredName(file.get());
}

std::optional<std::string> readStoredName(int file)
{
    // A device, a FIFO, another user's file or a second name of some other
    // file is not a stored name, whatever it holds.
    struct stat status;
    char bytes[storedNameLimit + 1];
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1 ||
        !ownedByUs(status) || status.st_size > static_cast<off_t>(sizeof bytes))
        return std::nullopt;

    size_t count = 0;
    while (count < sizeof bytes) {
        const ssize_t got = read(file, bytes + count, sizeof bytes - count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        count += static_cast<size_t>(got);
    }
    std::string name(bytes, count);
    if (!name.empty() && name.back() == '\n')
        name.pop_back();
    if (name.size() > storedNameLimit)
        return std::nullopt;
    return name;
}
