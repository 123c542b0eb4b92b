// Whose rights and which environment the window program gets, from what
// sudo, pkexec or doas left in the environment and the password database.
#include "window_environment.h"
#include "window_user.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <grp.h>
#include <iterator>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const uid_t noUser = 4000000123;  // in no password database, with no /run/user folder
const std::vector<std::string> askerVariables = {"SUDO_UID", "SUDO_GID", "PKEXEC_UID", "DOAS_USER", "HOME"};

// Unsets `names` for one row and puts back what was there before.
struct ScopedEnvironment {
    explicit ScopedEnvironment(const std::vector<std::string> &names)
    {
        for (const std::string &name : names) {
            const char *value = getenv(name.c_str());
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name.c_str());
        }
    }
    ~ScopedEnvironment()
    {
        for (const auto &[name, value] : saved)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

auto identity(const WindowUser &user) { return std::tie(user.uid, user.gid, user.name, user.home); }

TEST(FindWindowUser, takesWhoAskedForRootFromThePasswordDatabase)
{
    const passwd *nobody = getpwnam("nobody");
    if (!nobody || nobody->pw_uid == 0)
        GTEST_SKIP() << "no user nobody in the password database";
    const WindowUser asked{nobody->pw_uid, nobody->pw_gid, {}, nobody->pw_name, nobody->pw_dir};
    const passwd *rootEntry = getpwuid(0);
    ASSERT_NE(rootEntry, nullptr);
    // The real user's group is the process's, whoever the real user is.
    const WindowUser root{0, getgid(), {}, rootEntry->pw_name, rootEntry->pw_dir};
    const WindowUser nobodyAsReal{asked.uid, getgid(), {}, asked.name, asked.home};
    const std::string uid = std::to_string(asked.uid), unknown = std::to_string(noUser);
    struct Case {
        const char *name;
        std::vector<std::pair<const char *, std::string>> settings;
        const WindowUser *found;  // null: refused, with `reason` in the reason
        std::string reason;
        uid_t realUser = 0;
    };
    // Where a variable is to be ignored, the next command's names nobody: so
    // ignoring is told apart from taking root.
    const Case cases[] = {
        {"nothingNamed", {}, &root, ""},
        {"sudoUid", {{"SUDO_UID", uid}}, &asked, ""},
        {"sudoGidNotOfTheirs", {{"SUDO_UID", uid}, {"SUDO_GID", "0"}}, &asked, ""},
        // Root's own session, whichever command names root.
        {"sudoUidRoot", {{"SUDO_UID", "0"}, {"PKEXEC_UID", uid}}, &root, ""},
        {"pkexecUidRoot", {{"PKEXEC_UID", "0"}, {"DOAS_USER", "nobody"}}, &root, ""},
        {"doasRoot", {{"DOAS_USER", "root"}}, &root, ""},
        // Only root's caller may name who asked: a set-user-id run keeps its real user.
        {"notRootNamesAnother", {{"SUDO_UID", "0"}, {"PKEXEC_UID", "0"}, {"DOAS_USER", "root"}}, &nobodyAsReal, "",
         asked.uid},
        {"notRootNamesNoUser", {{"SUDO_UID", unknown}}, &nobodyAsReal, "", asked.uid},
        {"sudoUidEmpty", {{"SUDO_UID", ""}, {"PKEXEC_UID", uid}}, &asked, ""},
        {"sudoUidNotANumber", {{"SUDO_UID", "12x"}, {"PKEXEC_UID", uid}}, &asked, ""},
        {"sudoUidWithSign", {{"SUDO_UID", "+" + uid}}, &root, ""},
        {"sudoUidOfNoOne", {{"SUDO_UID", "4294967295"}, {"PKEXEC_UID", uid}}, &asked, ""},
        {"sudoUidNoUser", {{"SUDO_UID", unknown}}, nullptr, "SUDO_UID=" + unknown},
        {"sudoBeforePkexec", {{"SUDO_UID", uid}, {"PKEXEC_UID", unknown}}, &asked, ""},
        {"pkexecUid", {{"PKEXEC_UID", uid}}, &asked, ""},
        {"pkexecUidNoUser", {{"PKEXEC_UID", unknown}}, nullptr, "PKEXEC_UID=" + unknown},
        {"doasUser", {{"DOAS_USER", "nobody"}}, &asked, ""},
        {"doasNoUser", {{"DOAS_USER", "kestrune-no-user"}}, nullptr, "DOAS_USER=kestrune-no-user"},
        {"doasEmpty", {{"DOAS_USER", ""}}, &root, ""},
    };
    for (const Case &c : cases) {
        ScopedEnvironment environment(askerVariables);
        setenv("HOME", "/tmp/callers-home", 1);  // never the window user's home
        for (const auto &[variable, value] : c.settings)
            setenv(variable, value.c_str(), 1);
        WindowUser user;
        std::string reason;
        ASSERT_EQ(findWindowUser(c.realUser, user, reason), c.found != nullptr) << c.name << ": " << reason;
        if (!c.found) {
            EXPECT_NE(reason.find(c.reason), std::string::npos) << c.name << ": " << reason;
            continue;
        }
        EXPECT_EQ(identity(user), identity(*c.found)) << c.name;
        if (c.found == &asked) {  // the window program takes on these groups: theirs, not ours
            EXPECT_EQ(std::count(user.groups.begin(), user.groups.end(), asked.gid), 1) << c.name;
            EXPECT_EQ(std::count(user.groups.begin(), user.groups.end(), 0), 0) << c.name;
        }
    }
}

TEST(FindWindowUser, sudoGidOfAnotherOfTheUsersGroupsIsTaken)
{
    std::optional<std::pair<uid_t, gid_t>> found;  // a user, and a group of theirs beyond the primary one
    setpwent();
    for (const passwd *entry; !found && (entry = getpwent());) {
        int count = 64;
        std::vector<gid_t> groups(64);
        if (entry->pw_uid != 0 && getgrouplist(entry->pw_name, entry->pw_gid, groups.data(), &count) >= 0)
            for (int i = 0; i < count; ++i)
                if (groups[i] != entry->pw_gid && groups[i] != 0)
                    found = {entry->pw_uid, groups[i]};
    }
    endpwent();
    if (!found)
        GTEST_SKIP() << "no user in a group beyond the primary one";
    ScopedEnvironment environment(askerVariables);
    setenv("SUDO_UID", std::to_string(found->first).c_str(), 1);
    setenv("SUDO_GID", std::to_string(found->second).c_str(), 1);
    WindowUser user;
    std::string reason;
    ASSERT_TRUE(findWindowUser(0, user, reason)) << reason;
    EXPECT_EQ(user.gid, found->second);
}

std::vector<std::string> entriesNamed(const std::vector<std::string> &variables, const std::string &name)
{
    std::vector<std::string> entries;
    std::copy_if(variables.begin(), variables.end(), std::back_inserter(entries),
                 [&](const std::string &variable) { return variable.rfind(name + "=", 0) == 0; });
    return entries;
}

TEST(WindowEnvironment, passesOnlyWhatAWindowNeedsAndTheUsersOwnHome)
{
    struct Case {
        const char *variable, *callersValue;
        const char *passed;  // null: no variable of that name at all
    };
    const Case cases[] = {
        {"DISPLAY", ":7", "DISPLAY=:7"},
        {"LANG", "zh_CN.UTF-8", "LANG=zh_CN.UTF-8"},
        {"LC_CTYPE", "zh_CN.UTF-8", "LC_CTYPE=zh_CN.UTF-8"},
        {"QT_IM_MODULE", "fcitx", "QT_IM_MODULE=fcitx"},
        {"XMODIFIERS", "@im=fcitx", "XMODIFIERS=@im=fcitx"},
        {"TMPDIR", "/home/caller/tmp", "TMPDIR=/home/caller/tmp"},
        // Each would have the window load the caller's files or code.
        {"XDG_CONFIG_HOME", "/home/caller/.config", nullptr},
        {"XDG_DATA_DIRS", "/home/caller/share", nullptr},
        {"QT_PLUGIN_PATH", "/home/caller/plugins", nullptr},
        {"QT_QPA_PLATFORM_PLUGIN_PATH", "/home/caller/platforms", nullptr},
        {"FONTCONFIG_FILE", "/home/caller/fonts.conf", nullptr},
        {"LD_PRELOAD", "/home/caller/hook.so", nullptr},
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/home/caller/bus", nullptr},
        {"HOME", "/home/caller", "HOME=/home/visitor"},
        {"USER", "caller", "USER=visitor"},
        {"LOGNAME", "caller", "LOGNAME=visitor"},
    };
    std::vector<std::string> names;
    for (const Case &c : cases)
        names.push_back(c.variable);
    ScopedEnvironment environment(names);
    for (const Case &c : cases)
        setenv(c.variable, c.callersValue, 1);
    const auto variables = windowEnvironment({noUser, noUser, {}, "visitor", "/home/visitor"});
    for (const Case &c : cases)
        EXPECT_EQ(entriesNamed(variables, c.variable),
                  c.passed ? std::vector<std::string>{c.passed} : std::vector<std::string>{}) << c.variable;
    // A window of root's would make its files there with root's rights.
    EXPECT_EQ(entriesNamed(windowEnvironment({0, 0, {}, "root", "/root"}), "TMPDIR"), std::vector<std::string>{});
}

TEST(WindowEnvironment, passesTheRuntimeFolderAndBusOnlyWhenTheUsersAlone)
{
    enum class Bus { none, socket, file };
    // The folder is the window user's, another user's or root's; as root,
    // the tests give the folder to a user who is not root.
    const uid_t user = getuid() == 0 ? noUser : getuid();
    struct Case {
        const char *name;
        mode_t mode;
        Bus bus;
        uid_t owner;
        uid_t windowUser;
        bool passed, busPassed;
    };
    const Case cases[] = {
        {"privateWithBus", 0700, Bus::socket, user, user, true, true},
        {"privateWithoutBus", 0700, Bus::none, user, user, true, false},
        {"busNotASocket", 0700, Bus::file, user, user, true, false},
        {"groupMayEnter", 0710, Bus::socket, user, user, false, false},
        {"othersMayRead", 0755, Bus::socket, user, user, false, false},
        {"anotherUsersWindow", 0700, Bus::socket, user, user + 1, false, false},
        // Root's window takes none that the caller names, even root's own.
        {"rootsWindow", 0700, Bus::socket, getuid(), 0, false, false},
    };
    for (const Case &c : cases) {
        ScopedEnvironment environment({"XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS"});
        char folderTemplate[] = "/tmp/kestrune-runtime-XXXXXX";
        const std::string folder = mkdtemp(folderTemplate), bus = folder + "/bus";
        const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{AF_UNIX, {}};
        bus.copy(address.sun_path, sizeof address.sun_path - 1);
        if (c.bus == Bus::socket) {
            ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address), 0) << c.name;
        } else if (c.bus == Bus::file) {
            close(open(bus.c_str(), O_CREAT | O_WRONLY, 0600));
        }
        chmod(folder.c_str(), c.mode);
        if (c.owner != getuid()) {
            ASSERT_EQ(lchown(folder.c_str(), c.owner, static_cast<gid_t>(-1)), 0) << c.name;
            lchown(bus.c_str(), c.owner, static_cast<gid_t>(-1));
        }
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        const auto variables = windowEnvironment({c.windowUser, getgid(), {}, "self", "/"});
        // The runtime folder of the user's login may be passed instead, never ours.
        EXPECT_EQ(entriesNamed(variables, "XDG_RUNTIME_DIR") == std::vector<std::string>{"XDG_RUNTIME_DIR=" + folder},
                  c.passed) << c.name;
        EXPECT_EQ(entriesNamed(variables, "DBUS_SESSION_BUS_ADDRESS") ==
                      std::vector<std::string>{"DBUS_SESSION_BUS_ADDRESS=unix:path=" + bus},
                  c.busPassed) << c.name;
        close(listening);
        unlink(bus.c_str());
        rmdir(folder.c_str());
    }
}

}  // namespace
