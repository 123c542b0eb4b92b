// Whose folders may hold the window program, in the initial user namespace
// and as root of a user namespace, where the users outside show as the
// overflow id.
#include "trusted_owner.h"

#include <gtest/gtest.h>

namespace {

TEST(TrustedOwner, takesOutsidersForRootOnlyInAnUnprivilegedUserNamespace)
{
    const uid_t toolOwner = 1000, nobody = 65534;
    const char *initial = "         0          0 4294967295\n";
    const char *asUser = "         0       1000          1\n";  // unshare --map-root-user
    const char *withSubordinates = "0 1000 1\n1 100000 1000\n";
    struct Case {
        const char *name;
        const char *uidMap;
        uid_t overflowId;
        uid_t owner;
        bool trusted;
    };
    const Case cases[] = {
        {"initialRoot", initial, nobody, 0, true},
        {"initialToolOwner", initial, nobody, toolOwner, true},
        {"initialNobody", initial, nobody, nobody, false},
        {"initialAnother", initial, nobody, 1001, false},
        {"namespaceRoot", asUser, nobody, 0, true},
        {"namespaceToolOwner", asUser, nobody, toolOwner, true},
        {"namespaceOutsider", asUser, nobody, nobody, true},
        {"namespaceAnother", asUser, nobody, 1001, false},
        {"namespaceOtherOverflowId", asUser, 4242, nobody, false},
        {"namespaceOwnOverflowId", asUser, 4242, 4242, true},
        // A mapped user of the namespace is someone else there, as anywhere.
        {"subordinatesOutsider", withSubordinates, nobody, nobody, true},
        {"subordinateMapped", withSubordinates, nobody, 5, false},
        // Where the overflow id is a user of the namespace, it cannot tell
        // that user from those outside.
        {"containersNobody", "0 100000 65536\n", nobody, nobody, false},
        {"overflowIdLastMapped", "0 1000 1\n65534 200000 1\n", nobody, nobody, false},
        {"overflowIdJustPastTheMap", "0 1000 1\n1 100000 65533\n", nobody, nobody, true},
        // Root of the namespace is root outside it: no less strict than the initial one.
        {"rootIsParentsRoot", "0 0 1\n", nobody, nobody, false},
        {"rootIsParentsRootSecond", "1 1000 1\n0 0 1\n", nobody, nobody, false},
        {"rootNotMapped", "1 1000 1\n", nobody, nobody, false},
        {"unreadableMap", "", nobody, nobody, false},
        {"mapCutShort", "0 1000", nobody, nobody, false},
        {"mapWithoutNewline", "0 1000 1", nobody, nobody, false},
        {"mapNotNumbers", "0 1000 x\n", nobody, nobody, false},
        {"mapPastTheLargestId", "0 99999999999 1\n", nobody, nobody, false},
    };
    for (const Case &c : cases) {
        const UserNamespace here{c.uidMap, c.overflowId};
        EXPECT_EQ(trustedOwner(c.owner, toolOwner, here), c.trusted) << c.name;
    }
}

}  // namespace
