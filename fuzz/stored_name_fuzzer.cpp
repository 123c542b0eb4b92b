// libFuzzer harness for the stored-name reader, which fills the window's
// entry: whatever bytes the stored-name file holds, the reader reads no more
// than a name and its newline, never past its buffer (AddressSanitizer
// watches its reads), and hands back exactly the name or nothing.
#include "stored_name_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// One plain file of ours, rewritten for every input.
int file = -1;
std::string folder;
const TrustRule rule = trustRule(getuid(), "the user", OthersWriting::ignored);

void fail(const char *broken)
{
    std::fprintf(stderr, "stored-name fuzzer: %s\n", broken);
    std::abort();
}

void removeFile()
{
    unlink((folder + "/service-name").c_str());
    rmdir(folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    char folderTemplate[] = "/tmp/kestrune-fuzz-XXXXXX";
    if (!mkdtemp(folderTemplate))
        fail("cannot make a folder");
    folder = folderTemplate;
    file = open((folder + "/service-name").c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0)
        fail("cannot make the file");
    std::atexit(removeFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (ftruncate(file, 0) != 0 || pwrite(file, data, size, 0) != static_cast<ssize_t>(size) ||
        lseek(file, 0, SEEK_SET) != 0)
        fail("cannot write the file");

    const std::optional<std::string> name = readStoredName(file, rule);

    if (lseek(file, 0, SEEK_CUR) > static_cast<off_t>(storedNameLimit + 1))
        fail("read past a name and its newline");
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const size_t nameLength = !bytes.empty() && bytes.back() == '\n' ? size - 1 : size;
    if (nameLength > storedNameLimit) {
        if (name)
            fail("took a name longer than the limit");
    } else if (!name || *name != bytes.substr(0, nameLength)) {
        fail("did not hand back the stored name as it is");
    }
    return 0;
}
