// The text behind the simulated QString and QCString: shared by copies, and
// logged when the last copy lets go of it.
#pragma once

#include <string>

struct SimulatedText {
    const char *kind;        // "QString" or "QCString"
    std::u16string characters;  // a QString's 16-bit characters
    std::string bytes;       // a QCString's bytes; a QString's Latin-1 form once asked for
    int references;
};

SimulatedText *newSimulatedString(const std::u16string &characters);
SimulatedText *newSimulatedBytes(const std::string &bytes);
SimulatedText *shareSimulatedText(SimulatedText *text);
void releaseSimulatedText(SimulatedText *text);

// What a user types: every character, those beyond U+FFFF as surrogate
// pairs, and a 3-byte form of a lone surrogate as that surrogate.
std::u16string typedCharacters(const std::string &utf8);
// The toolkit's UTF-8 decoding: 4-byte sequences and stray continuation
// bytes give nothing.
std::u16string toolkitDecoding(const std::string &utf8);
// The toolkit's QString::utf8(): each 16-bit character on its own, so a
// surrogate pair becomes 6 bytes.
std::string toolkitEncoding(const std::u16string &characters);
// Characters as the log shows them: UTF-8, a lone surrogate as \uXXXX.
std::string loggedCharacters(const std::u16string &characters);
