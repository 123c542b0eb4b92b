// Where the desktop stand-in keeps the operator name that the phone's
// framework would keep: $XDG_CONFIG_HOME/kestrune/service-name, or
// ~/.config/kestrune/service-name, holding the name's bytes and one newline.
//
// Plain POSIX calls, no toolkit: the terminal interface must not pay for
// loading one.
#pragma once

#include <optional>
#include <string>

std::string serviceNamePath();

// Replaces the stored name atomically: a crash at any moment leaves the old
// name or the new one. Returns the reason when it could not store, else empty.
std::string storeServiceName(const std::string &name);

// The stored name without its newline, if one is stored and readable.
std::optional<std::string> storedServiceName();
