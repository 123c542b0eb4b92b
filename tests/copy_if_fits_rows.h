// What every capture dialog's resultText promises the run flow: the entry, as
// UTF-8, copied with its terminator into the flow's 100-byte buffer only when
// it fits, its length returned either way, and no byte written past the
// buffer. The same rows for every implementation; each types them its own way.
#pragma once

#include "platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

struct CopyRow {
    const char *name;
    std::string entry;
};

inline std::vector<CopyRow> copyRows()
{
    std::string chinese33;
    for (int i = 0; i < 33; ++i)
        chinese33 += "中";
    return {
        {"empty", ""},
        {"longestThatFits", std::string(99, 'a')},
        {"oneByteTooLong", std::string(100, 'a')},
        {"multibyteToTheLimit", chinese33},
        {"multibytePastTheLimit", chinese33 + "中"},
    };
}

// Calls resultText as the run flow does, on a buffer with guard bytes after it.
inline void expectCopiedOnlyIfItFits(const CaptureDialog &dialog, const std::string &entry, const char *name)
{
    const size_t size = 100, guard = 16;
    char buffer[size + guard];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(dialog.resultText(buffer, size), entry.size()) << name;
    const std::string expected =
        entry.size() < size ? entry + '\0' + std::string(size - entry.size() - 1, '#') : std::string(size, '#');
    EXPECT_EQ(std::string(buffer, size), expected) << name;
    EXPECT_EQ(std::string(buffer + size, guard), std::string(guard, '#')) << name << ": past the buffer";
}
