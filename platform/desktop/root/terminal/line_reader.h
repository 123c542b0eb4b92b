// Answers at the terminal: lines of standard input, read straight from its
// descriptor. One that was left non-blocking is waited on rather than taken
// for ended, and a read error is told rather than taken silently for the end
// of input.
#pragma once

#include <string>

// The next line without its "\n" or "\r\n", of which at most 64 KiB are kept
// and the rest dropped, so that memory stays bounded whatever comes in.
// Returns false at the end of input, or after a read error, before any byte
// of a line.
bool readLine(std::string &line);
