#include "utf8_repair.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// What the window toolkit makes of the same bytes.
std::string throughQt(const std::string &bytes)
{
    const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromUtf8(raw).toUtf8().toStdString();
}

std::string printable(const std::string &bytes)
{
    std::string hex;
    for (unsigned char byte : bytes)
        hex += QByteArray::number(byte, 16).rightJustified(2, '0').toStdString() + ' ';
    return hex;
}

// And valid is what Qt hands back unchanged, a leading byte order mark aside.
void expectSameAsQt(const std::string &bytes)
{
    const std::string qt = throughQt(bytes);
    EXPECT_EQ(repairUtf8(bytes), qt) << "input: " << printable(bytes);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") != 0) {
        EXPECT_EQ(isValidUtf8(bytes), qt == bytes) << "input: " << printable(bytes);
    }
}

// Bytes from every class a decoder tells apart: ASCII and NUL, continuation
// bytes at both ends, each lead byte range at its edges, and never-valid bytes.
const unsigned char interestingBytes[] = {
    0x00, 0x20, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF,
    0xE0, 0xE1, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xF8, 0xFE, 0xFF};

TEST(Utf8Repair, keepsValidTextAndReplacesEachBadByte)
{
    struct Case {
        const char *name;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"ascii", "Abc", "Abc"},
        {"chinese", "中国移动", "中国移动"},
        {"fourByteCharacter", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"embeddedNul", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"strayContinuation", "\x80" "A", "\xEF\xBF\xBD" "A"},
        {"truncatedAtEnd", "A\xE4\xB8", "A\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"overlongSlash", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"pastU10FFFF", "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"leadingByteOrderMarkDropped", "\xEF\xBB\xBF" "A", "A"},
        {"onlyTheFirstByteOrderMark", "\xEF\xBB\xBF\xEF\xBB\xBF", "\xEF\xBB\xBF"},
        {"byteOrderMarkInsideKept", "A\xEF\xBB\xBF", "A\xEF\xBB\xBF"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(repairUtf8(c.bytes), c.expected) << c.name;
        expectSameAsQt(c.bytes);
    }
}

TEST(Utf8Repair, matchesQtOnEverySequenceOfUpToThreeInterestingBytes)
{
    for (unsigned first = 0; first < 256; ++first) {
        expectSameAsQt(std::string(1, char(first)));
        for (unsigned second = 0; second < 256; ++second)
            expectSameAsQt({char(first), char(second)});
    }
    for (unsigned char a : interestingBytes)
        for (unsigned char b : interestingBytes)
            for (unsigned char c : interestingBytes)
                for (unsigned char d : {0x41, 0x80, 0xBF, 0xE4})
                    expectSameAsQt({char(a), char(b), char(c), char(d)});
}

TEST(Utf8Repair, matchesQtOnRandomMixturesOfTextAndBadBytes)
{
    std::mt19937 random(6);
    const std::string pieces[] = {"A", " ", "中", "\xF0\x9F\x98\x80", "\xE4", "\xB8",
                                  "\xF4\x8F\xBF", "\xFF", "\xEF\xBB\xBF", std::string(1, '\0')};
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        const int count = 1 + int(random() % 12);
        for (int i = 0; i < count; ++i)
            bytes += pieces[random() % std::size(pieces)];
        expectSameAsQt(bytes);
        if (HasFailure())
            return;
    }
}

}  // namespace
