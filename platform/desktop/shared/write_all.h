// Writing a whole buffer to a descriptor, however the kernel splits it.
#pragma once

#include <cstddef>

// Writes all `size` bytes of `bytes`, again after an interruption. Returns
// false when a write fails or writes nothing.
bool writeAll(int descriptor, const char *bytes, size_t size);
