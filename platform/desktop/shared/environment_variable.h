// The environment as a string: an unset variable reads as an empty one.
#pragma once

#include <cstdlib>
#include <string>

inline std::string environmentVariable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}
