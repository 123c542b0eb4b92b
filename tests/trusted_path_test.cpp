#include "trusted_path.h"

#include <gtest/gtest.h>

namespace {

constexpr uid_t user = 1000;
constexpr uid_t another = 4242;
constexpr uid_t overflow = 65534;

struct stat statusOf(uid_t owner, mode_t mode)
{
    struct stat status {};
    status.st_uid = owner;
    status.st_mode = S_IFDIR | mode;
    return status;
}

// One owner rule and one wording for every check; what others may write
// counts only where the rule says.
TEST(TrustedPath, trustsRootAndOneUserAndSaysWhyNotAnyoneElse)
{
    const std::string otherOwner = "/p belongs to user 4242, not to root or to the tool's owner";
    const std::string overflowOwner = "/p belongs to user 65534, not to root or to the tool's owner";
    const std::string userNamespace = "0 1000 1\n";
    const std::string othersWrite = "/p may be written by other users";
    const struct {
        const char *name;
        uid_t owner;
        mode_t mode;
        OthersWriting othersWriting;
        std::string reason;
        std::string uidMap = "0 0 4294967295\n";  // the initial namespace
    } rows[] = {
        {"root", 0, 0755, OthersWriting::refused, ""},
        {"theUser", user, 0700, OthersWriting::refused, ""},
        {"anotherUser", another, 0700, OthersWriting::ignored, otherOwner},
        {"anotherUserWritableByAll", another, 0777, OthersWriting::refused, otherOwner},
        {"groupWritable", user, 0770, OthersWriting::refused, othersWrite},
        {"otherWritable", 0, 0757, OthersWriting::refused, othersWrite},
        {"writableByAllIgnored", 0, 0777, OthersWriting::ignored, ""},
        {"stickyRefused", 0, 01777, OthersWriting::refused, othersWrite},
        {"stickyAllowed", 0, 01777, OthersWriting::refusedUnlessSticky, ""},
        {"notStickyAbove", 0, 0777, OthersWriting::refusedUnlessSticky, othersWrite},
        {"stickyOnlyWritableByOwner", user, 01755, OthersWriting::refused, ""},
        {"overflowIdOfTheRealRoot", overflow, 0755, OthersWriting::refused, overflowOwner},
        {"outsidersInAUserNamespace", overflow, 0755, OthersWriting::refused, "", userNamespace},
    };
    for (const auto &row : rows) {
        const TrustRule rule{user, "the tool's owner", row.othersWriting, {row.uidMap, overflow}};
        EXPECT_EQ(untrustedReason(statusOf(row.owner, row.mode), "/p", rule), row.reason) << row.name;
    }
}

}  // namespace
