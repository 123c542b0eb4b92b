#include "window_module_loader.h"

#include "window_module.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// Found from the executable itself, never from the working folder: the tool
// runs as root, and must not load code from wherever it was started.
std::string executableFolder()
{
    char path[PATH_MAX];
    if (!realpath("/proc/self/exe", path))
        return "";
    const std::string executable = path;
    return executable.substr(0, executable.rfind('/'));
}

}  // namespace

Platform *loadWindowPlatform(std::string &failure)
{
    const std::string folder = executableFolder();
    const std::string candidates[] = {
        folder + "/" KESTRUNE_WINDOW_MODULE,
        folder + "/../" KESTRUNE_INSTALLED_MODULE_DIR "/" KESTRUNE_WINDOW_MODULE,
    };
    for (const std::string &path : candidates) {
        if (access(path.c_str(), F_OK) != 0)
            continue;
        void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            failure = std::string("cannot load the window module: ") + dlerror();
            return nullptr;
        }
        // Never unloaded: the platform lives until the process ends.
        auto entryPoint = reinterpret_cast<decltype(&kestruneWindowPlatform)>(
            dlsym(module, KESTRUNE_WINDOW_ENTRY_POINT));
        if (!entryPoint) {
            failure = path + " has no entry point " KESTRUNE_WINDOW_ENTRY_POINT;
            return nullptr;
        }
        return entryPoint();
    }
    failure = "no window module at " + candidates[0] + " or " + candidates[1];
    return nullptr;
}
