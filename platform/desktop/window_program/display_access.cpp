#include "display_access.h"

#include "display_request.h"
#include "display_servers.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

// The file of Qt's platform plugin of this name.
std::string platformPlugin(const std::string &platform)
{
    const std::string file = platform == "wayland" ? "wayland-generic" : platform;
    return KESTRUNE_QT_PLUGINS_DIR "/platforms/libq" + file + ".so";
}

bool installed(const std::string &file)
{
    struct stat status;
    return stat(file.c_str(), &status) == 0;
}

// A Wayland compositor's socket that accepts a connection, and Qt's Wayland
// platform to speak to it. Returns why not, or an empty string.
std::string waylandProblem(const std::string &platform, const std::string &display)
{
    if (display.empty())
        return "WAYLAND_DISPLAY is not set";
    const std::string runtime = environmentVariable("XDG_RUNTIME_DIR");
    if (display[0] != '/' && runtime.empty())
        return "WAYLAND_DISPLAY=" + display + " but XDG_RUNTIME_DIR is not set";
    const std::string path = display[0] == '/' ? display : runtime + '/' + display;
    if (!socketAnswers(path, false))
        return "no Wayland compositor answers at " + path;
    if (!installed(platformPlugin(platform)))
        return "Qt's Wayland platform is not installed (Debian package qt6-wayland)";
    return "";
}

// The entry's platform name: "xcb" of " xcb:option=1 ".
std::string platformName(const std::string &entry)
{
    const std::string name = entry.substr(0, entry.find(':'));
    const size_t first = name.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos)
        return "";
    return name.substr(first, name.find_last_not_of(" \t\n\v\f\r") + 1 - first);
}

std::string joined(const std::vector<std::string> &problems)
{
    std::string all;
    for (const std::string &problem : problems)
        all += (all.empty() ? "" : "; ") + problem;
    return all;
}

// Qt starts the first platform of the list that it has and can start, and
// gives up on the process when there is none.
std::string checkChosen(const Request &request, std::string &chosen)
{
    std::vector<std::string> problems;
    for (size_t start = 0; start <= request.platforms.size();) {
        size_t end = request.platforms.find(';', start);
        if (end == std::string::npos)
            end = request.platforms.size();
        const std::string entry = request.platforms.substr(start, end - start);
        const std::string platform = platformName(entry);
        start = end + 1;
        std::string problem;
        if (platform == "xcb") {
            problem = request.x11Display.empty() ? "DISPLAY is not set"
                                                 : x11Problem(request.x11Display);
        } else if (platform.compare(0, 7, "wayland") == 0) {
            problem = waylandProblem(platform, request.waylandDisplay);
        } else if (installed(platformPlugin(platform))) {
            // Qt would start it, and wait for answers in windows nobody sees.
            return request.origin + platform +
                   " shows no window on a screen; windows are shown on X11 or Wayland only";
        } else {
            problem = "Qt has no platform \"" + platform + "\"";
        }
        if (problem.empty()) {
            chosen = entry;
            return "";
        }
        problems.push_back(request.origin + platform + ": " + problem);
    }
    return joined(problems);
}

// Left to choose: a Wayland compositor where one answers, else X11.
std::string checkDefault(const Request &request, std::string &chosen)
{
    std::vector<std::string> problems;
    // A -display option asks for X11.
    if (!request.waylandDisplay.empty() && !request.x11DisplayFromCommandLine) {
        const std::string problem = waylandProblem("wayland", request.waylandDisplay);
        if (problem.empty()) {
            chosen = "wayland";
            return "";
        }
        problems.push_back(problem);
    }
    if (!request.x11Display.empty()) {
        const std::string problem = x11Problem(request.x11Display);
        if (problem.empty()) {
            chosen = "xcb";
            return "";
        }
        problems.push_back(problem);
    }
    return joined(problems);
}

}  // namespace

DisplayCheck checkDisplay(int argc, char **argv)
{
    const Request request = readRequest(argc, argv);
    DisplayCheck check;
    check.named = displayNamed(argc, argv);
    if (!check.named)
        return check;
    // Qt would load its platform from there, whoever may write there.
    if (!request.pluginFolder.empty())
        check.unusableReason = "-platformpluginpath would have Qt load code from " +
                               request.pluginFolder;
    else
        check.unusableReason = request.platforms.empty() ? checkDefault(request, check.platform)
                                                           : checkChosen(request, check.platform);
    return check;
}
