#include "atomic_write.h"

#include "descriptor.h"
#include "trusted_path.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
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
mode_t permissionsFor(const FileInFolder &file)
{
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t allowed = 0666 & ~mask;
    struct stat old;
    if (fstatat(file.folder, file.name, &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode) &&
        ownedByRootOr(old, getuid()))
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

// A new file beside `file`, which nobody else can have made or see half
// written; its name goes into `temporary`.
Descriptor createTemporary(const FileInFolder &file, std::string &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = std::string(file.name) + "." + randomSuffix();
        Descriptor created(openat(file.folder, temporary.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (created || errno != EEXIST)
            return created;
    }
    return Descriptor();
}

// Gives the new file its permissions and contents, and puts it on disk.
bool fill(int descriptor, mode_t permissions, const std::string &bytes)
{
    return fchmod(descriptor, permissions) == 0 && writeAll(descriptor, bytes) && fsync(descriptor) == 0;
}

// Renames the whole new file over the old one in one step, so that a reader
// finds either; then flushes the folder, since the rename is an entry of the
// folder: only that keeps a power cut from bringing the old file back.
std::string renameOver(const FileInFolder &file, const std::string &temporary)
{
    if (renameat(file.folder, temporary.c_str(), file.folder, file.name) != 0) {
        const std::string failure = systemError("cannot replace " + file.folderPath + "/" + file.name);
        unlinkat(file.folder, temporary.c_str(), 0);
        return failure;
    }
    if (fsync(file.folder) != 0)
        return systemError("cannot flush the folder " + file.folderPath);
    return "";
}

}  // namespace

std::string replaceFile(const FileInFolder &file, const std::string &bytes)
{
    std::string temporary;
    Descriptor written = createTemporary(file, temporary);
    if (!written)
        return systemError("cannot create a file in " + file.folderPath);
    const std::string temporaryPath = file.folderPath + "/" + temporary;
    std::string failure;
    if (!fill(written.get(), permissionsFor(file), bytes))
        failure = systemError("cannot write " + temporaryPath);
    if (!written.close() && failure.empty())
        failure = systemError("cannot write " + temporaryPath);
    if (!failure.empty()) {
        unlinkat(file.folder, temporary.c_str(), 0);
        return failure;
    }
    return renameOver(file, temporary);
}
