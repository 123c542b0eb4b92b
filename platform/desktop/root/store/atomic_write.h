// Replaces a file so that a crash at any moment leaves the old file or the
// new one, never a mix, and once done the new one survives a power cut.
#pragma once

#include "trusted_path.h"

#include <string>

// The file `name` in the folder open as `folder`, shown as `folderPath` in
// reasons.
struct FileInFolder {
    int folder;
    std::string folderPath;
    const char *name;
};

// Replaces `file` with one holding `bytes`: written in full and flushed
// before it has a name where the file system allows (else beside it under a
// temporary name), renamed over it in one step, and then the folder flushed.
// The new file never has more rights than a new file of this user (0666 less
// the umask); one that replaces an ordinary file whose owner `rule`
// trusts keeps no more than that file's. Returns the reason when it failed,
// else an empty string; a failure before the rename leaves the old file as
// it was and nothing beside it.
std::string replaceFile(const FileInFolder &file, const std::string &bytes, const TrustRule &rule);
