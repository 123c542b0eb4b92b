// A runtime folder for a window of root's alone: without one, the toolkit
// would make its own in the temporary folder, where anyone may make it first.
#pragma once

#include <string>

// A new folder of root's, mode 0700, in /tmp; empty when none could be made.
std::string makeRuntimeFolder();

// Removes the folder and whatever the toolkit left in it, never following a
// link out of it.
void removeRuntimeFolder(const std::string &folder);
