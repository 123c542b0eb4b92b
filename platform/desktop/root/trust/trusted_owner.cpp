#include "trusted_owner.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

const unsigned long long largestId = 4294967295ULL;

// The whole of a small file of the kernel's, or an empty text when it cannot
// be read or is not smaller than `limit` bytes.
std::string smallFile(const char *path, size_t limit)
{
    const int file = open(path, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return "";
    std::string text(limit, '\0');
    size_t used = 0;
    ssize_t got = 0;
    while (used < limit && (got = read(file, &text[used], limit - used)) > 0)
        used += static_cast<size_t>(got);
    close(file);
    if (got < 0 || used == limit)
        return "";
    text.resize(used);
    return text;
}

// Skips blanks, then reads a decimal id at `text` and moves past it.
bool readId(const char *&text, unsigned long long &id)
{
    while (*text == ' ')
        ++text;
    if (*text < '0' || *text > '9')
        return false;
    for (id = 0; *text >= '0' && *text <= '9'; ++text) {
        id = id * 10 + static_cast<unsigned long long>(*text - '0');
        if (id > largestId + 1)
            return false;
    }
    return true;
}

// Whether the overflow id can stand only for users outside this namespace,
// and its root is not root outside. Each line of the map is "inside outside
// count": ids [inside, inside + count) here are [outside, ...) in the parent.
bool overflowIdIsOutsiders(const UserNamespace &here)
{
    bool rootMapped = false, rootIsParentRoot = false;
    for (const char *line = here.uidMap.c_str(); *line != '\0'; ++line) {
        unsigned long long inside = 0, outside = 0, count = 0;
        if (!readId(line, inside) || !readId(line, outside) || !readId(line, count) || *line != '\n')
            return false;
        if (here.overflowId >= inside && here.overflowId - inside < count)
            return false;
        if (inside == 0 && count > 0) {
            rootMapped = true;
            rootIsParentRoot = outside == 0;
        }
    }
    return rootMapped && !rootIsParentRoot;
}

}  // namespace

UserNamespace currentUserNamespace()
{
    UserNamespace here{smallFile("/proc/self/uid_map", 16384), 0};
    const std::string overflow = smallFile("/proc/sys/kernel/overflowuid", 32);
    const char *text = overflow.c_str();
    unsigned long long id = 0;
    // Without it, an id no file can have: nothing is taken for an outsider.
    here.overflowId = readId(text, id) && *text == '\n' && id < largestId ? static_cast<uid_t>(id)
                                                                           : static_cast<uid_t>(-1);
    return here;
}

bool trustedOwner(uid_t owner, uid_t toolOwner, const UserNamespace &here)
{
    if (owner == 0 || owner == toolOwner)
        return true;
    return owner == here.overflowId && overflowIdIsOutsiders(here);
}
