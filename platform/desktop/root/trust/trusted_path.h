// What root trusts on a path that another user may have named: only what
// nobody but root and one other user can change, reached without following a
// symbolic link. One rule for every such check, and one way to say why
// something fails it.
#pragma once

#include "descriptor.h"
#include "trusted_owner.h"

#include <string>
#include <sys/stat.h>

// What write permission for others means for the trust in a folder or file.
enum class OthersWriting {
    // Nothing: the store never follows a name that someone else could
    // plant (it opens without following links and renames over the name).
    ignored,
    // It may be changed behind root's back: what root runs or reads code from.
    refused,
    // As `refused`, unless the sticky bit keeps others from renaming or
    // removing what is in the folder: the folders above such a file.
    refusedUnlessSticky,
};

struct TrustRule {
    uid_t user;          // the one user trusted besides root
    const char *named;   // how reasons name that user
    OthersWriting othersWriting;
    UserNamespace here;  // where root's own files may show as the overflow id

    // The owner rule, the same for every check (trusted_owner.h).
    bool trustsOwner(const struct stat &status) const { return trustedOwner(status.st_uid, user, here); }
};

// A rule for the namespace this process runs in.
TrustRule trustRule(uid_t user, const char *named, OthersWriting othersWriting);

// Why `path`, whose status is `status`, could be changed by someone `rule`
// does not trust, or an empty string:
//   "<path> belongs to user N, not to root or to <rule.named>"
//   "<path> may be written by other users"
std::string untrustedReason(const struct stat &status, const std::string &path, const TrustRule &rule);

// Opens the folder `existing`/`creatable` from "/" one name at a time, never
// through a symbolic link, so that nobody can redirect it while it is
// walked. With `create`, makes the missing folders of `creatable` (never one
// of `existing`), 0700 as the XDG rules ask, each only inside a folder that
// `rule` trusts. The folder opened must be trusted too. The whole path is
// walked once, so any path costs one step a name. On failure, the reason is
// in `failure` and the descriptor is empty.
Descriptor openTrustedFolder(const std::string &existing, const std::string &creatable, bool create,
                             const TrustRule &rule, std::string &failure);
