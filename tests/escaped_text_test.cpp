#include "escaped_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EscapedForTerminal, escapesControlBytesAndKeepsText)
{
    struct Case {
        const char *name;
        std::string text;
        bool keepLineFeeds;
        std::string shown;
    };
    const Case cases[] = {
        {"plainAscii", "name ~ 42", false, "name ~ 42"},
        {"chinese", "中国移动", false, "中国移动"},
        {"escape", "a\x1b[2Jb", false, "a\\x1b[2Jb"},
        {"bell", "\a", false, "\\x07"},
        {"nul", std::string("a\0b", 3), false, "a\\x00b"},
        {"lastC0", "\x1f ", false, "\\x1f "},
        {"delete", "\x7f", false, "\\x7f"},
        // C1 in UTF-8, both ends of its range: 0x9b is CSI to many terminals.
        {"c1Csi", "a\xc2\x9b" "1m", false, "a\\xc2\\x9b1m"},
        {"c1First", "\xc2\x80", false, "\\xc2\\x80"},
        {"c1Last", "\xc2\x9f", false, "\\xc2\\x9f"},
        {"noBreakSpace", "a\xc2\xa0" "b", false, "a\xc2\xa0" "b"},
        {"c2BeforeAscii", "\xc2" "A", false, "\xc2" "A"},
        {"loneC2AtEnd", "a\xc2", false, "a\xc2"},
        {"tab", "a\tb", false, "a\tb"},
        {"lineFeedEscaped", "a\nb", false, "a\\x0ab"},
        {"lineFeedKept", "a\nb", true, "a\nb"},
        // Only line feeds are let through: a carriage return rewrites the line.
        {"carriageReturnStillEscaped", "a\rb", true, "a\\x0db"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(escapedForTerminal(c.text, c.keepLineFeeds), c.shown) << c.name;
}

}  // namespace
