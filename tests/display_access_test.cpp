// Which display the stand-in finds usable, from the environment and the
// toolkit's options on the command line, without any display running: X11
// displays that do answer are tried by the end-to-end window runs.
#include "display_access.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

const char *const displayVariables[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"};

struct DisplayCase {
    const char *name;
    std::vector<std::string> environment;  // NAME=value, the rest unset
    std::vector<std::string> arguments;    // after the program's name
    bool named;
    std::string reason;  // part of the reason; empty: none at all
};

void PrintTo(const DisplayCase &row, std::ostream *out)
{
    *out << row.name;
}

// A runtime folder with a socket that accepts connections, as a Wayland
// compositor's does: enough for the check, which only connects.
class FakeCompositor {
public:
    FakeCompositor()
    {
        char folderTemplate[] = "/tmp/kestrune-runtime-XXXXXX";
        folder = mkdtemp(folderTemplate);
        listening = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = folder + "/wayland-test";
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(listening, 8);
    }
    ~FakeCompositor()
    {
        close(listening);
        unlink((folder + "/wayland-test").c_str());
        rmdir(folder.c_str());
    }
    std::string folder;

private:
    int listening;
};

class Display : public testing::TestWithParam<DisplayCase> {
protected:
    static void SetUpTestSuite() { compositor = new FakeCompositor; }
    static void TearDownTestSuite() { delete compositor; }
    static FakeCompositor *compositor;
};

FakeCompositor *Display::compositor = nullptr;

const bool qtWaylandInstalled = [] {
    struct stat status;
    return stat(KESTRUNE_QT_PLUGINS_DIR "/platforms/libqwayland-generic.so", &status) == 0;
}();

TEST_P(Display, isUsableOrSaysWhy)
{
    const DisplayCase &row = GetParam();
    for (const char *variable : displayVariables)
        unsetenv(variable);
    for (const std::string &setting : row.environment) {
        std::string value = setting.substr(setting.find('=') + 1);
        if (value == "$runtime")
            value = compositor->folder;
        setenv(setting.substr(0, setting.find('=')).c_str(), value.c_str(), 1);
    }
    std::vector<std::string> arguments = {"kestrune"};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const char *const platformBefore = std::getenv("QT_QPA_PLATFORM");
    const std::string platformVariable = platformBefore ? platformBefore : "(unset)";
    const DisplayCheck check = checkDisplay(static_cast<int>(arguments.size()), argv.data());

    EXPECT_EQ(check.named, row.named);
    if (row.reason.empty()) {
        EXPECT_EQ(check.unusableReason, "");
    } else {
        EXPECT_NE(check.unusableReason.find(row.reason), std::string::npos) << check.unusableReason;
    }
    // A usable display names the platform to pin Qt to; the check itself
    // leaves the environment as it was.
    EXPECT_EQ(check.platform.empty(), !row.named || !check.unusableReason.empty()) << check.platform;
    const char *const platformAfter = std::getenv("QT_QPA_PLATFORM");
    EXPECT_EQ(platformAfter ? platformAfter : "(unset)", platformVariable);
}

// With Qt's Wayland platform installed the fake compositor is usable, and Qt
// is pinned to it; without, the reason names the package to install.
const std::string waylandAnswers = qtWaylandInstalled ? "" : "qt6-wayland";

INSTANTIATE_TEST_SUITE_P(
    EnvironmentAndOptions, Display,
    testing::Values(
        DisplayCase{"nothingNamed", {}, {}, false, ""},
        DisplayCase{"emptyVariablesNameNothing", {"DISPLAY=", "QT_QPA_PLATFORM="}, {}, false, ""},
        DisplayCase{"noXServer", {"DISPLAY=:65000"}, {}, true, "no X server runs at display :65000"},
        DisplayCase{"noXServerUnixDisplay", {"DISPLAY=unix:65000.0"}, {}, true,
                    "no X server runs at display unix:65000.0"},
        DisplayCase{"remoteX", {"DISPLAY=127.0.0.1:99"}, {}, true, "cannot open the X display 127.0.0.1:99"},
        DisplayCase{"xcbWithOptionsAndNoServer", {"DISPLAY=:65000", "QT_QPA_PLATFORM=xcb:nograb"}, {}, true,
                    "QT_QPA_PLATFORM=xcb: no X server runs"},
        DisplayCase{"xcbWithoutDisplay", {"QT_QPA_PLATFORM=xcb"}, {}, true, "DISPLAY is not set"},
        DisplayCase{"unknownPlatform", {"QT_QPA_PLATFORM=nope"}, {}, true, "Qt has no platform \"nope\""},
        DisplayCase{"blankPlatform", {"QT_QPA_PLATFORM= :x"}, {}, true, "Qt has no platform \"\""},
        DisplayCase{"offscreen", {"QT_QPA_PLATFORM=offscreen"}, {}, true,
                    "QT_QPA_PLATFORM=offscreen shows no window on a screen; windows are shown on X11 "
                    "or Wayland only"},
        DisplayCase{"minimal", {"QT_QPA_PLATFORM=minimal"}, {}, true, "minimal shows no window"},
        // Qt skips what it has not and starts the first it has.
        DisplayCase{"unknownThenOffscreen", {"QT_QPA_PLATFORM=nope;offscreen;xcb"}, {}, true,
                    "offscreen shows no window"},
        DisplayCase{"optionWinsOverVariable", {"QT_QPA_PLATFORM=xcb"}, {"-platform", "offscreen"}, true,
                    "-platform offscreen shows no window"},
        DisplayCase{"doubleDashOption", {}, {"0", "--platform", "x"}, true, "-platform x: Qt has no platform"},
        DisplayCase{"displayOption", {}, {"0", "-display", ":65001"}, true, "display :65001"},
        DisplayCase{"optionWithoutValue", {}, {"-platform"}, false, ""},
        DisplayCase{"pluginFolderOption", {"DISPLAY=:65000"}, {"-platformpluginpath", "/home/x"}, true,
                    "-platformpluginpath would have Qt load code from /home/x"},
        DisplayCase{"valueOfAnotherOption", {}, {"-qwindowtitle", "-platform", "x"}, false, ""},
        DisplayCase{"waylandWithoutRuntimeFolder", {"WAYLAND_DISPLAY=wayland-test"}, {}, true,
                    "XDG_RUNTIME_DIR is not set"},
        DisplayCase{"noCompositor", {"WAYLAND_DISPLAY=wayland-none", "XDG_RUNTIME_DIR=$runtime"}, {}, true,
                    "no Wayland compositor answers at"},
        // Longer than a socket address can hold: no connection is tried.
        DisplayCase{"compositorPathTooLong", {"WAYLAND_DISPLAY=/" + std::string(120, 'w')}, {}, true,
                    "no Wayland compositor answers at /www"},
        DisplayCase{"compositorAnswers", {"WAYLAND_DISPLAY=wayland-test", "XDG_RUNTIME_DIR=$runtime"}, {},
                    true, waylandAnswers},
        DisplayCase{"compositorAnswersAsChosen",
                    {"WAYLAND_DISPLAY=wayland-test", "XDG_RUNTIME_DIR=$runtime", "QT_QPA_PLATFORM=nope;wayland"},
                    {}, true, waylandAnswers}),
    [](const testing::TestParamInfo<DisplayCase> &info) { return std::string(info.param.name); });

// Each of Qt's options that takes a value takes the next argument whatever it
// looks like: "-style -platform x" names no platform.
TEST(DisplayOptions, theValueOfAnOptionIsNoOption)
{
    for (const char *option : {"-platformtheme", "-plugin", "-qwindowgeometry", "-geometry", "-qwindowtitle",
                               "-title", "-qwindowicon", "-icon", "-style", "-stylesheet", "-session",
                               "-name", "-visual", "--style"}) {
        for (const char *variable : displayVariables)
            unsetenv(variable);
        char *argv[] = {const_cast<char *>("kestrune"), const_cast<char *>(option),
                        const_cast<char *>("-platform"), const_cast<char *>("x"), nullptr};
        EXPECT_FALSE(checkDisplay(4, argv).named) << option;
    }
}

}  // namespace
