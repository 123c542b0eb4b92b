#include "atomic_write.h"

#include "descriptor.h"
#include "write_all.h"

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

// What any new file of this user gets. A replaced file of ours keeps its
// permissions, but never more than that: no bits of another user's file, and
// no executable, set-id or sticky bits.
mode_t permissionsFor(const FileInFolder &file, const TrustRule &rule)
{
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t allowed = 0666 & ~mask;
    struct stat old;
    if (fstatat(file.folder, file.name, &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode) &&
        rule.trustsOwner(old))
        return old.st_mode & allowed;
    return allowed;
}

std::string randomSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[6];
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // Only before the kernel's pool is ready; a name taken is refused anyway.
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

std::string temporaryName(const FileInFolder &file)
{
    return std::string(file.name) + "." + randomSuffix();
}

// A new file beside `file`, which nobody else can have made or see half
// written; its name goes into `temporary`.
Descriptor createTemporary(const FileInFolder &file, std::string &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryName(file);
        Descriptor created(openat(file.folder, temporary.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (created || errno != EEXIST)
            return created;
    }
    return Descriptor();
}

// Gives the file without a name open as `unnamed` the name `name` beside
// `file`. Linking a descriptor itself takes CAP_DAC_READ_SEARCH on older
// kernels, which refuse with ENOENT; its name in /proc needs no capability,
// only /proc.
bool linkAs(int unnamed, const FileInFolder &file, const std::string &name)
{
    if (linkat(unnamed, "", file.folder, name.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno != ENOENT)
        return false;
    const std::string self = "/proc/self/fd/" + std::to_string(unnamed);
    return linkat(AT_FDCWD, self.c_str(), file.folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Links `unnamed` as `temporary`, or under another fresh name while the one
// tried is taken; `temporary` ends as the name it got.
bool linkUnderFreshName(int unnamed, const FileInFolder &file, std::string &temporary)
{
    for (int attempt = 1; !linkAs(unnamed, file, temporary); ++attempt) {
        if (errno != EEXIST || attempt == 100)
            return false;
        temporary = temporaryName(file);
    }
    return true;
}

// Gives the new file its permissions and contents, and puts it on disk.
bool fill(int descriptor, mode_t permissions, const std::string &bytes)
{
    return fchmod(descriptor, permissions) == 0 && writeAll(descriptor, bytes.data(), bytes.size()) && fsync(descriptor) == 0;
}

std::string cannotCreate(const FileInFolder &file)
{
    return systemError("cannot create a file in " + file.folderPath);
}

std::string cannotWrite(const FileInFolder &file, const std::string &temporary)
{
    return systemError("cannot write " + file.folderPath + "/" + temporary);
}

// Removes the temporary name again, so that a failed store leaves nothing
// beside the old file, and hands the failure on.
std::string removeTemporary(const FileInFolder &file, const std::string &temporary, const std::string &failure)
{
    unlinkat(file.folder, temporary.c_str(), 0);
    return failure;
}

// Closes the whole new file, named `temporary`, and renames it over the old
// one in one step, so that a reader finds either; then flushes the folder,
// since the rename is an entry of the folder: only that keeps a power cut
// from bringing the old file back.
std::string closeAndRenameOver(const FileInFolder &file, Descriptor written, const std::string &temporary)
{
    if (!written.close())
        return removeTemporary(file, temporary, cannotWrite(file, temporary));
    if (renameat(file.folder, temporary.c_str(), file.folder, file.name) != 0)
        return removeTemporary(file, temporary,
                               systemError("cannot replace " + file.folderPath + "/" + file.name));
    if (fsync(file.folder) != 0)
        return systemError("cannot flush the folder " + file.folderPath);
    return "";
}

// The new file has no name while it is written and flushed, the slow part:
// a run killed then leaves nothing behind, since the kernel frees a file
// without a name with its last descriptor. Only once it is whole and on disk
// does it get a temporary name, to be renamed over the old file at once: no
// call puts a file without a name in the place of a name, and a link cannot
// replace one, so a temporary name is needed; it lives only for the close
// and the rename. The link needs the descriptor open, so the close comes
// between them: before the rename, a failed close still keeps the old file.
std::string replaceThroughUnnamedFile(const FileInFolder &file, Descriptor unnamed, mode_t permissions,
                                      const std::string &bytes)
{
    std::string temporary = temporaryName(file);
    if (!fill(unnamed.get(), permissions, bytes) || !linkUnderFreshName(unnamed.get(), file, temporary))
        return cannotWrite(file, temporary);
    return closeAndRenameOver(file, std::move(unnamed), temporary);
}

// Where files without a name cannot be made: written under a temporary name
// from the start, which a run killed before the rename leaves behind.
std::string replaceThroughNamedFile(const FileInFolder &file, mode_t permissions, const std::string &bytes)
{
    std::string temporary;
    Descriptor written = createTemporary(file, temporary);
    if (!written)
        return cannotCreate(file);
    if (!fill(written.get(), permissions, bytes))
        return removeTemporary(file, temporary, cannotWrite(file, temporary));
    return closeAndRenameOver(file, std::move(written), temporary);
}

}  // namespace

std::string replaceFile(const FileInFolder &file, const std::string &bytes, const TrustRule &rule)
{
    const mode_t permissions = permissionsFor(file, rule);
    Descriptor unnamed(openat(file.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (unnamed)
        return replaceThroughUnnamedFile(file, std::move(unnamed), permissions, bytes);
    // The file system has no files without a name (EOPNOTSUPP), or the
    // kernel does not know the flag and took the folder itself (EISDIR), or
    // refuses the combination (EINVAL).
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
        return replaceThroughNamedFile(file, permissions, bytes);
    return cannotCreate(file);
}
