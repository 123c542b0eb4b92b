#include "runtime_folder.h"

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>

namespace {

int removeEntry(const char *path, const struct stat *, int, FTW *)
{
    return std::remove(path);
}

}  // namespace

std::string makeRuntimeFolder()
{
    char folder[] = "/tmp/kestrune-runtime-XXXXXX";
    if (!mkdtemp(folder) || chmod(folder, 0700) != 0)
        return "";
    return folder;
}

void removeRuntimeFolder(const std::string &folder)
{
    nftw(folder.c_str(), removeEntry, 8, FTW_DEPTH | FTW_PHYS);
}
