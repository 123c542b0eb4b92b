// libFuzzer harness for the entry path: whatever bytes the capture dialog
// hands over go through the length guard, the copy into the name buffer and
// the trimming, exactly as the run flow calls them. Every input is checked
// against what that path promises; a broken promise aborts, and libFuzzer
// keeps the input that did it.
#include "check_entry.h"
#include "platform.h"

#include <sanitizer/asan_interface.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const size_t serviceNameSize = 100;
const size_t guardSize = 64;
const unsigned char guardByte = 0xA5;
// Not zero and not a blank, so that a missing terminator or a byte left
// over from before shows up.
const unsigned char fillByte = 0x5A;

// Hands over a fixed text up to its first NUL, as the platform promises.
class FuzzCaptureDialog : public CaptureDialog {
public:
    explicit FuzzCaptureDialog(const char *text) : text(text) {}
    void selectAll() {}
    void show() {}
    int result() const { return 1; }
    size_t resultText(char *buffer, size_t size) const
    {
        const size_t length = strlen(text);
        if (length < size)
            memcpy(buffer, text, length + 1);
        return length;
    }

private:
    const char *text;
};

void fail(const char *broken)
{
    fprintf(stderr, "entry fuzzer: %s\n", broken);
    abort();
}

bool allBlank(const char *bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] != ' ')
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The rejection lines would be written millions of times.
    if (!freopen("/dev/null", "w", stdout))
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    // The entered text is the input up to its first NUL.
    char *text = static_cast<char *>(malloc(size + 1));
    memcpy(text, data, size);
    text[size] = '\0';
    const size_t length = strlen(text);

    // Guard bytes on both sides, also poisoned, so that AddressSanitizer
    // reports a read as well as a write outside the 100 bytes.
    unsigned char *block = static_cast<unsigned char *>(malloc(guardSize + serviceNameSize + guardSize));
    memset(block, guardByte, guardSize + serviceNameSize + guardSize);
    char *serviceName = reinterpret_cast<char *>(block + guardSize);
    memset(serviceName, fillByte, serviceNameSize);
    ASAN_POISON_MEMORY_REGION(block, guardSize);
    ASAN_POISON_MEMORY_REGION(block + guardSize + serviceNameSize, guardSize);

    const FuzzCaptureDialog captureDialog(text);
    const int nameStart = checkEntry(captureDialog, serviceName, serviceNameSize);

    ASAN_UNPOISON_MEMORY_REGION(block, guardSize);
    ASAN_UNPOISON_MEMORY_REGION(block + guardSize + serviceNameSize, guardSize);
    for (size_t i = 0; i < guardSize; ++i) {
        if (block[i] != guardByte || block[guardSize + serviceNameSize + i] != guardByte)
            fail("wrote outside the name buffer");
    }

    const bool tooLong = length >= serviceNameSize;
    const bool rejected = tooLong || allBlank(text, length);  // the empty text is all blank too
    if (rejected != (nameStart == -1))
        fail("rejected what it should not, or accepted what it should not");

    if (tooLong) {
        for (size_t i = 0; i < serviceNameSize; ++i) {
            if (static_cast<unsigned char>(serviceName[i]) != fillByte)
                fail("a refused entry changed the buffer");
        }
    } else if (rejected) {
        if (memcmp(serviceName, text, length + 1) != 0)
            fail("a blank entry was changed");
    } else {
        const size_t start = static_cast<size_t>(nameStart);
        if (nameStart < 0 || start >= length)
            fail("the name starts outside the entry");
        const char *name = serviceName + start;
        const char *end = static_cast<const char *>(memchr(name, '\0', serviceNameSize - start));
        if (!end)
            fail("the name has no terminator inside the buffer");
        const size_t nameLength = static_cast<size_t>(end - name);
        if (nameLength == 0 || name[0] == ' ' || name[nameLength - 1] == ' ')
            fail("the name is empty or has a blank at one end");
        if (memcmp(name, text + start, nameLength) != 0)
            fail("the name is not a contiguous part of the entry");
        if (memcmp(serviceName, text, start) != 0)
            fail("a byte before the name was changed");
        // Nothing but blanks was cut away, at either end.
        if (!allBlank(text, start) || !allBlank(text + start + nameLength, length - start - nameLength))
            fail("more than the blanks around the name was cut");
    }

    free(block);
    free(text);
    return 0;
}
