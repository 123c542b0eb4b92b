#include "utf8_repair.h"

namespace {

const char replacementCharacter[] = "\xEF\xBF\xBD";
const char byteOrderMark[] = "\xEF\xBB\xBF";

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed sequence that starts at `at`, or 0.
size_t sequenceLength(const std::string &bytes, size_t at)
{
    const unsigned char lead = bytes[at];
    if (lead < 0x80)
        return 1;

    size_t length;
    char32_t codePoint;
    char32_t smallest;  // below it, the sequence is an overlong form
    if (lead < 0xC2) {  // NOLINT(bugprone-branch-clone): rejected for another reason
        return 0;  // a continuation byte, or the lead of an overlong pair
    } else if (lead < 0xE0) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if (lead < 0xF0) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if (lead < 0xF5) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;  // would start past U+10FFFF
    }

    if (bytes.size() - at < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char byte = bytes[at + i];
        if (!isContinuation(byte))
            return 0;
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < smallest || surrogate || codePoint > 0x10FFFF)
        return 0;
    return length;
}

}  // namespace

bool isValidUtf8(const std::string &bytes)
{
    for (size_t at = 0, length; at < bytes.size(); at += length) {
        length = sequenceLength(bytes, at);
        if (length == 0)
            return false;
    }
    return true;
}

std::string repairUtf8(const std::string &bytes)
{
    std::string text;
    text.reserve(bytes.size());
    // A byte order mark at the very start says only how the text is encoded.
    const size_t start = bytes.compare(0, 3, byteOrderMark) == 0 ? 3 : 0;
    for (size_t at = start; at < bytes.size();) {
        const size_t length = sequenceLength(bytes, at);
        if (length == 0) {
            text += replacementCharacter;
            ++at;
        } else {
            text.append(bytes, at, length);
            at += length;
        }
    }
    return text;
}
