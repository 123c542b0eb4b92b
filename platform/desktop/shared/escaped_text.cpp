#include "escaped_text.h"

#include <cstdio>

namespace {

void appendEscaped(std::string &out, unsigned char byte)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xf];
}

}  // namespace

std::string escapedForTerminal(const std::string &text, bool keepLineFeeds)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xc2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9f;
        if (c1) {
            appendEscaped(out, byte);
            appendEscaped(out, static_cast<unsigned char>(text[++i]));
        } else if ((byte < 0x20 && byte != '\t' && !(byte == '\n' && keepLineFeeds)) || byte == 0x7f) {
            appendEscaped(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

void printDiagnostic(const std::string &line)
{
    const std::string text = "kestrune: " + escapedForTerminal(line) + "\n";
    std::fputs(text.c_str(), stderr);  // NOLINT(cert-err33-c): nowhere else to report to
}
