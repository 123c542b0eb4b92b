// The entry point of kestrune-window.so; the only symbol it exports.
#include "window_module.h"

#include "window_platform.h"

extern "C" __attribute__((visibility("default"))) Platform *kestruneWindowPlatform()
{
    static WindowPlatform platform;
    return &platform;
}
