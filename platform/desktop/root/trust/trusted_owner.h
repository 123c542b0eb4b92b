// Whose files and folders the root process trusts besides its own: root's,
// one other user's (the tool's owner, for the window program; the running
// user, for the store), and, when the tool is root of a user namespace of an
// unprivileged user, those of the users outside it.
#pragma once

#include <sys/types.h>

#include <string>

// What the kernel tells of the user namespace the tool runs in.
struct UserNamespace {
    std::string uidMap;  // /proc/self/uid_map as read, empty when it could not be
    uid_t overflowId;    // the owner shown for a user this namespace does not map
};

// The namespace of the running process; read within fixed bounds.
UserNamespace currentUserNamespace();

// Whether a file or folder of `owner` is trusted as root's or `toolOwner`'s
// own. In the initial namespace (the map "0 0 4294967295") only these two
// are. As root of a user namespace whose root is not root outside it, the
// overflow id is trusted too when no user of the namespace has it: it then
// stands only for users outside (the real root's `/`, `/home` and `/tmp`
// show so). This is safe because root there holds only the rights of the
// namespace's root outside, an unprivileged user: a qt.conf planted by such
// an owner gains the window program no more than that user's rights, as any
// program that user runs from a folder of someone else's would; never the
// real root's. Any other owner, mapped or not, is another user and is
// refused as everywhere; so is the overflow id where it may be a user of
// this namespace (the nobody of a container that maps 65534), and when the
// map cannot be read.
bool trustedOwner(uid_t owner, uid_t toolOwner, const UserNamespace &here);
