// The operator name as the desktop stand-in keeps it (see store_location.h
// for where), for the platform: stored when the run flow sets it, read back
// to pre-fill the window's entry.
//
// The tool runs as root, often in a home that another user controls, so the
// path is walked one folder at a time and never through a symbolic link, and
// a folder is written into only when it belongs to root or to the user
// running the tool.
//
// Plain POSIX calls, no toolkit: the terminal interface must not pay for
// loading one.
#pragma once

#include "stored_name_reader.h"

#include <optional>
#include <string>

// Replaces the stored name atomically and durably (see atomic_write.h).
// Returns an empty string once stored, else what to tell the person at the
// terminal: "cannot store the service name in <path>: <reason>".
std::string storeServiceName(const std::string &name);

// The stored name without its newline, when the store holds one (see
// readStoredName). Never blocks, never reads more than a name.
std::optional<std::string> storedServiceName();
