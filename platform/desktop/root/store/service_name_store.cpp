#include "service_name_store.h"

#include "atomic_write.h"
#include "store_location.h"
#include "trusted_path.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

// Besides root, only the user running the tool may own the store's folders.
TrustRule storeRule()
{
    return trustRule(getuid(), "the user running kestrune", OthersWriting::ignored);
}

std::string failedToStore(const StoreLocation &location, const std::string &reason)
{
    return "cannot store the service name in " + location.path + ": " + reason;
}

}  // namespace

std::string storeServiceName(const std::string &name)
{
    const StoreLocation location = storeLocation();
    if (!location.failure.empty())
        return failedToStore(location, location.failure);
    std::string failure;
    const TrustRule rule = storeRule();
    const Descriptor folder = openTrustedFolder(location.existing, location.creatable, true, rule, failure);
    if (!folder)
        return failedToStore(location, failure);
    failure = replaceFile({folder.get(), location.folderPath, storedFileName}, name + '\n', rule);
    return failure.empty() ? "" : failedToStore(location, failure);
}

std::optional<std::string> storedServiceName()
{
    const StoreLocation location = storeLocation();
    if (!location.failure.empty())
        return std::nullopt;
    std::string failure;
    const TrustRule rule = storeRule();
    const Descriptor folder = openTrustedFolder(location.existing, location.creatable, false, rule, failure);
    if (!folder)
        return std::nullopt;
    // Without blocking: a FIFO put in its place must not hang the tool.
    const Descriptor file(
        openat(folder.get(), storedFileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file)
        return std::nullopt;
    return readStoredName(file.get(), rule);
}
