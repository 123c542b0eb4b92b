// Sends standard output to a file for as long as it lives, and hands out
// what was written since the last look, so that tests can place the tool's
// console lines among the calls it makes.
#pragma once

#include <cstdio>
#include <string>

class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture &) = delete;
    ConsoleCapture &operator=(const ConsoleCapture &) = delete;

    std::string takeWritten();

private:
    std::FILE *file;
    int savedStdout;
    long readUpTo = 0;
};
