#include "window_user.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// A user or group id written in decimal, nothing else.
bool parseId(const char *text, unsigned long &id)
{
    if (!text || text[0] < '0' || text[0] > '9')
        return false;
    char *end = nullptr;
    errno = 0;
    id = std::strtoul(text, &end, 10);
    return errno == 0 && *end == '\0' && id < UINT_MAX;
}

bool fromPasswordEntry(const passwd *entry, WindowUser &user)
{
    if (!entry)
        return false;
    user.uid = entry->pw_uid;
    user.gid = entry->pw_gid;
    user.name = entry->pw_name;
    user.home = entry->pw_dir;
    return true;
}

bool inGroups(const std::vector<gid_t> &groups, gid_t gid)
{
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

std::vector<gid_t> groupsOf(const std::string &name, gid_t gid)
{
    int count = 32;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (getgrouplist(name.c_str(), gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<size_t>(count));
        getgrouplist(name.c_str(), gid, groups.data(), &count);
    }
    groups.resize(static_cast<size_t>(count));
    return groups;
}

// Who asked for root, where the command that gave it says so. A command
// run by root itself names root: that is root's own session.
enum class Asked { nobodyNamed, root, found, unknown };

// The user that `variable` names by id (sudo's SUDO_UID, pkexec's
// PKEXEC_UID).
Asked userOfIdIn(const char *variable, WindowUser &user, std::string &reason)
{
    unsigned long uid = 0;
    const char *value = std::getenv(variable);
    if (!parseId(value, uid))
        return Asked::nobodyNamed;
    if (uid == 0)
        return Asked::root;
    if (!fromPasswordEntry(getpwuid(static_cast<uid_t>(uid)), user)) {
        reason = std::string(variable) + "=" + value + " is no user of the password database";
        return Asked::unknown;
    }
    user.groups = groupsOf(user.name, user.gid);
    return Asked::found;
}

Asked userWhoAskedForRoot(WindowUser &user, std::string &reason)
{
    const Asked bySudo = userOfIdIn("SUDO_UID", user, reason);
    if (bySudo == Asked::found) {
        // sudo's SUDO_GID is the group the user ran it with: one of theirs.
        unsigned long gid = 0;
        if (parseId(std::getenv("SUDO_GID"), gid) && inGroups(user.groups, static_cast<gid_t>(gid)))
            user.gid = static_cast<gid_t>(gid);
    }
    if (bySudo != Asked::nobodyNamed)
        return bySudo;
    const Asked byPkexec = userOfIdIn("PKEXEC_UID", user, reason);
    if (byPkexec != Asked::nobodyNamed)
        return byPkexec;
    const char *doasUser = std::getenv("DOAS_USER");
    if (doasUser && doasUser[0] != '\0') {
        if (!fromPasswordEntry(getpwnam(doasUser), user)) {
            reason = "DOAS_USER=" + std::string(doasUser) + " is no user of the password database";
            return Asked::unknown;
        }
        if (user.uid == 0)
            return Asked::root;
        user.groups = groupsOf(user.name, user.gid);
        return Asked::found;
    }
    return Asked::nobodyNamed;
}

}  // namespace

bool findWindowUser(uid_t realUserId, WindowUser &user, std::string &reason)
{
    // Only root's caller can have asked for root: anyone else who sets these
    // variables (for a set-user-id copy of the tool, say) names whom they like.
    const Asked asked = realUserId == 0 ? userWhoAskedForRoot(user, reason) : Asked::nobodyNamed;
    switch (asked) {
    case Asked::found:
        return true;
    case Asked::unknown:
        return false;
    case Asked::root:
    case Asked::nobodyNamed:
        break;
    }
    user = WindowUser();
    const passwd *entry = getpwuid(realUserId);
    user.uid = realUserId;
    user.gid = getgid();
    user.name = entry ? entry->pw_name : "";
    // Without a home of its own, fontconfig and Qt would look for one in
    // the caller's HOME: give them none rather than someone else's.
    user.home = entry ? entry->pw_dir : "/nonexistent";
    const int count = getgroups(0, nullptr);
    user.groups.resize(count > 0 ? static_cast<size_t>(count) : 0);
    if (count > 0 && getgroups(count, user.groups.data()) != count)
        user.groups.clear();
    return true;
}
