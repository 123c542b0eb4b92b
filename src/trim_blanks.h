#ifndef KESTRUNE_TRIM_BLANKS_H
#define KESTRUNE_TRIM_BLANKS_H

// Cuts the entered name to its non-blank core without copying. A blank is the
// byte 0x20 and nothing else; the text is UTF-8, looked at byte by byte (no
// byte of a multi-byte character is 0x20, so characters are never split).
//
// On success, writes NUL after the last non-blank byte and returns the index
// of the first one: the name starts there. Returns -1, with a line on
// standard output and the text untouched, if the text is empty or all blanks.
int trimBlanks(char *text);

#endif
