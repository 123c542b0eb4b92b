// Where the desktop stand-in keeps the operator name that the phone's
// framework would keep: $XDG_CONFIG_HOME/kestrune/service-name, or
// ~/.config/kestrune/service-name, holding the name's bytes and one newline.
//
// The tool runs as root, often in a home that another user controls, so the
// path is walked one folder at a time and never through a symbolic link, and
// a folder is written into only when it belongs to root or to the user
// running the tool.
//
// Plain POSIX calls, no toolkit: the terminal interface must not pay for
// loading one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The longest name the run flow hands over, in bytes; the file holds one
// more, its newline.
constexpr std::size_t storedNameLimit = 99;

std::string serviceNamePath();

// Replaces the stored name atomically and durably: a crash at any moment
// leaves the old name or the new one, and once this has returned the new one
// survives a power cut. Returns the reason when it could not store (and then
// has written nothing), else an empty string.
std::string storeServiceName(const std::string &name);

// The stored name without its newline, when the store holds one: a plain
// file of root's or the running user's, at most storedNameLimit bytes and its
// newline. Never blocks, never reads more than that.
std::optional<std::string> storedServiceName();

// The same for a stored-name file already open as `file`.
std::optional<std::string> readStoredName(int file);
