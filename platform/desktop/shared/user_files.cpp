#include "user_files.h"

#include <sys/stat.h>

bool ownedPrivateFolder(const std::string &path, uid_t uid)
{
    struct stat status;
    return !path.empty() && path[0] == '/' && lstat(path.c_str(), &status) == 0 &&
           S_ISDIR(status.st_mode) && status.st_uid == uid && (status.st_mode & 077) == 0;
}

bool ownedSocket(const std::string &path, uid_t uid)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) && status.st_uid == uid;
}
