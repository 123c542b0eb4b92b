// The simulated toolkit's text coding, and what the simulated user types.
#include "simulated_text.h"

#include <cstdio>

namespace {

bool continuation(unsigned char byte)
{
    return (byte & 0xc0) == 0x80;
}

void append(std::string &out, unsigned int code, int length)
{
    static const unsigned char lead[] = {0, 0, 0xc0, 0xe0, 0xf0};
    out += static_cast<char>(length == 1 ? code : lead[length] | code >> 6 * (length - 1));
    for (int shift = 6 * (length - 2); shift >= 0; shift -= 6)
        out += static_cast<char>(0x80 | (code >> shift & 0x3f));
}

}  // namespace

std::u16string typedCharacters(const std::string &utf8)
{
    std::u16string characters;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = utf8[i];
        const int length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
        unsigned int code = length == 1 ? lead : lead & (0x7f >> length);
        for (int k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3f);
        i += length;
        if (code > 0xffff) {
            characters += static_cast<char16_t>(0xd800 + ((code - 0x10000) >> 10));
            characters += static_cast<char16_t>(0xdc00 + (code & 0x3ff));
        } else {
            characters += static_cast<char16_t>(code);
        }
    }
    return characters;
}

std::u16string toolkitDecoding(const std::string &utf8)
{
    std::u16string characters;
    unsigned int code = 0;
    int needed = 0;
    for (const char c : utf8) {
        const unsigned char byte = c;
        if (needed > 0 && continuation(byte)) {
            code = code << 6 | (byte & 0x3f);
            if (--needed == 0)
                characters += static_cast<char16_t>(code);
            continue;
        }
        needed = 0;
        if (byte < 0x80)
            characters += static_cast<char16_t>(byte);
        else if ((byte & 0xe0) == 0xc0)
            code = byte & 0x1f, needed = 1;
        else if ((byte & 0xf0) == 0xe0)
            code = byte & 0x0f, needed = 2;
        // Other lead bytes, 4-byte ones among them, and stray continuation
        // bytes are dropped.
    }
    return characters;
}

std::string toolkitEncoding(const std::u16string &characters)
{
    std::string bytes;
    for (const char16_t c : characters)
        append(bytes, c, c < 0x80 ? 1 : c < 0x800 ? 2 : 3);
    return bytes;
}

std::string loggedCharacters(const std::u16string &characters)
{
    std::string out;
    for (size_t i = 0; i < characters.size(); ++i) {
        const unsigned int c = characters[i];
        const bool pair = c >= 0xd800 && c < 0xdc00 && i + 1 < characters.size() &&
                          characters[i + 1] >= 0xdc00 && characters[i + 1] < 0xe000;
        if (pair) {
            append(out, 0x10000 + ((c - 0xd800) << 10) + (characters[++i] - 0xdc00), 4);
        } else if (c >= 0xd800 && c < 0xe000) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
            out += escaped;
        } else {
            append(out, c, c < 0x80 ? 1 : c < 0x800 ? 2 : 3);
        }
    }
    return out;
}
