#include "store_location.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

// An absolute path without the slashes at its end, or an empty string.
std::string absoluteFolder(const char *path)
{
    if (!path || path[0] != '/')
        return "";
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// HOME as the login set it, unless it is not an absolute path: a relative
// HOME would put the store wherever the tool was started. Then the password
// database's, as for a login. Empty when neither names a folder.
std::string homeFolder()
{
    if (std::string home = absoluteFolder(std::getenv("HOME")); !home.empty())
        return home;
    const passwd *user = getpwuid(getuid());
    return absoluteFolder(user ? user->pw_dir : nullptr);
}

StoreLocation below(const std::string &existing, const std::string &creatable)
{
    const std::string folderPath = (existing == "/" ? "" : existing) + "/" + creatable;
    return {existing, creatable, folderPath, folderPath + "/" + storedFileName, ""};
}

}  // namespace

StoreLocation storeLocation()
{
    StoreLocation location;
    // Relative values are invalid by the XDG base directory rules.
    if (const std::string configHome = absoluteFolder(std::getenv("XDG_CONFIG_HOME")); !configHome.empty()) {
        location = below(configHome, "kestrune");
    } else if (const std::string home = homeFolder(); !home.empty()) {
        location = below(home, ".config/kestrune");
    } else {
        location.path = "~/.config/kestrune/" + std::string(storedFileName);
        location.failure = "no home folder: HOME is not an absolute path, and the password database names none";
    }
    // No program could open a longer path.
    if (location.path.size() >= PATH_MAX)
        location.failure = "the path is longer than " + std::to_string(PATH_MAX) + " bytes";
    return location;
}
