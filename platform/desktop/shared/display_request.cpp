#include "display_request.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

// The options of Qt's own that take the next argument as their value: that
// value is no option, whatever it looks like.
const char *const optionsWithValues[] = {
    "-platformtheme", "-plugin", "-qwindowgeometry", "-geometry",
    "-qwindowtitle", "-title", "-qwindowicon", "-icon", "-style", "-stylesheet", "-session",
    "-name", "-visual"};

}  // namespace

Request readRequest(int argc, char **argv)
{
    Request request;
    request.platforms = environmentVariable("QT_QPA_PLATFORM");
    request.origin = "QT_QPA_PLATFORM=";
    request.x11Display = environmentVariable("DISPLAY");
    request.waylandDisplay = environmentVariable("WAYLAND_DISPLAY");
    // As Qt reads them: "--platform" is "-platform", and an option without
    // its value is ignored.
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i][0] != '-')
            continue;
        std::string option = argv[i];
        if (option.compare(0, 2, "--") == 0)
            option.erase(0, 1);
        if (option == "-platform") {
            request.platforms = argv[++i];
            request.origin = "-platform ";
        } else if (option == "-platformpluginpath") {
            request.pluginFolder = argv[++i];
        } else if (option == "-display") {
            request.x11Display = argv[++i];
            request.x11DisplayFromCommandLine = true;
        } else if (std::find(std::begin(optionsWithValues), std::end(optionsWithValues), option) !=
                   std::end(optionsWithValues)) {
            ++i;
        }
    }
    return request;
}


bool displayNamed(int argc, char **argv)
{
    const Request request = readRequest(argc, argv);
    return !request.platforms.empty() || !request.x11Display.empty() || !request.waylandDisplay.empty();
}
