// Where the desktop stand-in keeps the operator name that the phone's
// framework would keep: $XDG_CONFIG_HOME/kestrune/service-name, or
// ~/.config/kestrune/service-name, holding the name's bytes and one newline.
#pragma once

#include <string>

constexpr char storedFileName[] = "service-name";

// A folder that must exist already (the config home that XDG_CONFIG_HOME
// names, or the home), and the folders below it that the store may create,
// the last one its own. Nothing above them is ever made: a home or config
// home that is missing is a mistake of whoever set it, and root would
// otherwise build a tree wherever the environment says.
struct StoreLocation {
    std::string existing;
    std::string creatable;
    // The store's folder and file as every message shows them.
    std::string folderPath;
    std::string path;
    // Why there is no store, or an empty string.
    std::string failure;
};

// Worked out from the environment and the password database each time, as
// they are when the store is used.
StoreLocation storeLocation();
