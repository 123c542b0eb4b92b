// The reader of the stored name, which pre-fills the window's entry: bounded,
// since whatever the file holds may have been put there by someone else.
#pragma once

#include "trusted_path.h"

#include <cstddef>
#include <optional>
#include <string>

// The longest name the run flow hands over, in bytes; the file holds one
// more, its newline.
constexpr std::size_t storedNameLimit = 99;

// The name without its newline, from a stored-name file open as `file`: a
// plain file whose owner `rule` trusts, with no second name, at most
// storedNameLimit bytes and its newline. Never reads more than that.
std::optional<std::string> readStoredName(int file, const TrustRule &rule);
