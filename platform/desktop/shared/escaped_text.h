// Text from outside the tool, made safe to write to a terminal: a path that
// another user named, what an X server or the window program said. Control
// bytes could move the cursor, rewrite what is shown or retitle the window.
#pragma once

#include <string>

// Every control byte (C0, DEL, and C1 written in UTF-8) as \xNN; other
// bytes, Chinese included, as they are. Tabs stay, and line feeds too where
// `keepLineFeeds` says so.
std::string escapedForTerminal(const std::string &text, bool keepLineFeeds = false);

// Writes "kestrune: ", `line` escaped, and a line feed to standard error,
// where the person at the terminal looks; there is nowhere else to report
// to, so a failed write is let be.
void printDiagnostic(const std::string &line);
