#include "utf8_text.h"

// Looked up once, before main, and kept for the whole run.
static QTextCodec *const utf8Codec = QTextCodec::codecForName("UTF-8", 0);

QString utf8Text(const char *text)
{
    // A toolkit built without a codec of that name still decodes UTF-8
    // itself; calling through the missing codec would crash.
    if (utf8Codec == 0)
        return QString::fromUtf8(text);
    return utf8Codec->toUnicode(text);
}

// The toolkit's strings are 16-bit, and its utf8() writes each half of a
// character beyond U+FFFF on its own: 6 bytes that are not UTF-8. They are
// written here as the character's 4 bytes, so that the framework stores valid
// UTF-8 and the 99-byte limit counts the bytes it stores; refusing the entry
// would refuse a character the user could type. A half without its other
// half is no character at all: it becomes U+FFFD, 3 bytes as before.
namespace {

// A 3-byte form of a surrogate whose second byte lies in [low, high]. Reads
// no further than the first byte that fails, so never past the terminator.
bool surrogateAt(const unsigned char *bytes, unsigned char low, unsigned char high)
{
    return bytes[0] == 0xed && bytes[1] >= low && bytes[1] <= high && (bytes[2] & 0xc0) == 0x80;
}

}  // namespace

// Each character is read whole before its bytes are written, and is written
// in as many bytes or fewer, so writing never overtakes reading.
size_t repairEntryUtf8(char *toolkitUtf8)
{
    const unsigned char *in = reinterpret_cast<const unsigned char *>(toolkitUtf8);
    unsigned char *out = reinterpret_cast<unsigned char *>(toolkitUtf8);
    size_t length = 0;
    while (*in) {
        unsigned char made[4] = {in[0], 0, 0, 0};
        size_t used = 1, count = 1;
        if (surrogateAt(in, 0xa0, 0xaf) && surrogateAt(in + 3, 0xb0, 0xbf)) {
            // The pair's 20 bits, one less than the plane first, regrouped.
            const unsigned int plane = (in[1] & 0x0fU) + 1;
            made[0] = static_cast<unsigned char>(0xf0 | plane >> 2);
            made[1] = static_cast<unsigned char>(0x80 | (plane & 3) << 4 | (in[2] & 0x3f) >> 2);
            made[2] = static_cast<unsigned char>(0x80 | (in[2] & 3) << 4 | (in[4] & 0x0f));
            made[3] = in[5];
            used = 6;
            count = 4;
        } else if (surrogateAt(in, 0xa0, 0xbf)) {
            made[0] = 0xef;
            made[1] = 0xbf;
            made[2] = 0xbd;
            used = count = 3;
        }
        for (size_t i = 0; i < count; ++i)
            out[length + i] = made[i];
        in += used;
        length += count;
    }
    out[length] = '\0';
    return length;
}
