// What the runtime folder and its session bus must be to count as the
// user's: theirs alone, looked at without following a link, as the XDG base
// folder rules and libdbus ask. Both processes decide it alike.
#pragma once

#include <sys/types.h>

#include <string>

// An absolute path of a folder of `uid`'s that nobody else may enter.
bool ownedPrivateFolder(const std::string &path, uid_t uid);

// A socket of `uid`'s at `path`, itself not a link.
bool ownedSocket(const std::string &path, uid_t uid);
