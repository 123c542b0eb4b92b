// Whose rights the window program runs with. The tool runs as root, but the
// person it shows its dialogs to is most often a user who asked for root
// with sudo: the toolkit, its plugins, fontconfig and the rest then run as
// that user, in that user's session, and never read or write anything of
// theirs with root's rights.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct WindowUser {
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;  // supplementary
    std::string name;
    std::string home;
};

// The user who asked for root, when the real user id `realUserId` is root:
// sudo's SUDO_UID and SUDO_GID, pkexec's PKEXEC_UID or doas's DOAS_USER,
// the first of them that is set, checked against the password database; one
// that names root means root's own session. Without them, and always when
// the real user is not root, the real user with their own groups and home.
// Returns false with the reason when the user named is not in the password
// database.
bool findWindowUser(uid_t realUserId, WindowUser &user, std::string &reason);
