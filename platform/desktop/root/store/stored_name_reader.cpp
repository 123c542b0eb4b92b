#include "stored_name_reader.h"

#include "trusted_path.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> readStoredName(int file, const TrustRule &rule)
{
    // A device, a FIFO, another user's file or a second name of some other
    // file is not a stored name, whatever it holds.
    struct stat status;
    char bytes[storedNameLimit + 1];
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1 ||
        !rule.trustsOwner(status) || status.st_size > static_cast<off_t>(sizeof bytes))
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
