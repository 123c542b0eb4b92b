#include "supplementary_groups.h"

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// The groups as a sorted list, for comparing: the kernel keeps no order.
std::vector<gid_t> sorted(std::vector<gid_t> groups)
{
    std::sort(groups.begin(), groups.end());
    return groups;
}

bool hasExactly(const std::vector<gid_t> &groups)
{
    const int count = getgroups(0, nullptr);
    if (count < 0)
        return false;
    std::vector<gid_t> current(static_cast<size_t>(count));
    if (count > 0 && getgroups(count, current.data()) != count)
        return false;
    return sorted(current) == sorted(groups);
}

}  // namespace

bool setSupplementaryGroups(const std::vector<gid_t> &groups)
{
    if (setgroups(groups.size(), groups.data()) == 0)
        return true;
    const int refused = errno;
    if (refused == EPERM && hasExactly(groups))
        return true;
    errno = refused;
    return false;
}
