// The entry point of the window module, kestrune-window.so, which the
// executable loads only when it shows windows.
#pragma once

#include "platform.h"

#define KESTRUNE_WINDOW_ENTRY_POINT "kestruneWindowPlatform"

// The window platform, created on the first call and kept for the life of
// the process.
extern "C" Platform *kestruneWindowPlatform();
