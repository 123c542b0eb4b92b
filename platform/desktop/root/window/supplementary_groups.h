// The window program's supplementary groups, set while it is still root.
#pragma once

#include <sys/types.h>

#include <vector>

// Sets the process's supplementary groups to `groups`. Root of a user
// namespace made by an unprivileged user may not (its setgroups is "deny",
// so that no one drops a group that a file's mode refuses); that is no
// failure when the process has exactly `groups` already, as a window of
// root's own does, which keeps the process's groups. False, with errno set,
// otherwise.
bool setSupplementaryGroups(const std::vector<gid_t> &groups);
