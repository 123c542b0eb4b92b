#include "window_environment.h"

#include "environment_variable.h"
#include "user_files.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

extern char **environ;

namespace {

// What a window takes from the caller's environment: where to show itself,
// in which language, with which input method and at which scale, and where
// to keep its temporary files; for the sanitizers' builds also their
// options. A window of root's takes no folder from it: the toolkit would
// make and read files there with root's rights.
bool passedOn(const std::string &variable, const WindowUser &user)
{
    static const char *const names[] = {
        "DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM", "LANG", "LANGUAGE",
        "TMPDIR", "XMODIFIERS", "QT_IM_MODULE", "GTK_IM_MODULE", "QT_SCALE_FACTOR",
        "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING", "QT_FONT_DPI", "XCURSOR_THEME",
        "XCURSOR_SIZE", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
        "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"};
    const std::string name = variable.substr(0, variable.find('='));
    if (name == "TMPDIR")
        return user.uid != 0;
    if (name.compare(0, 3, "LC_") == 0)
        return true;
    return std::any_of(std::begin(names), std::end(names), [&](const char *known) { return name == known; });
}

}  // namespace

std::vector<std::string> windowEnvironment(const WindowUser &user)
{
    std::vector<std::string> variables;
    for (char **variable = environ; *variable; ++variable) {
        if (passedOn(*variable, user))
            variables.emplace_back(*variable);
    }
    variables.push_back("HOME=" + user.home);
    variables.push_back("USER=" + user.name);
    variables.push_back("LOGNAME=" + user.name);
    variables.push_back("PATH=/usr/local/bin:/usr/bin:/bin");
    // The caller's own runtime folder when it is the user's (a user's own
    // run), else the one their login made; for root only root's login's.
    std::string runtime = user.uid != 0 ? environmentVariable("XDG_RUNTIME_DIR") : "";
    if (!ownedPrivateFolder(runtime, user.uid))
        runtime = "/run/user/" + std::to_string(user.uid);
    if (ownedPrivateFolder(runtime, user.uid)) {
        variables.push_back("XDG_RUNTIME_DIR=" + runtime);
        if (ownedSocket(runtime + "/bus", user.uid))
            variables.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + runtime + "/bus");
    }
    return variables;
}
