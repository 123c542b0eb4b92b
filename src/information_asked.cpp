#include "information_asked.h"

#include <string.h>

// Only these exact words: a toolkit option or a type is never taken for one.
const char *informationAsked(int argc, char **argv)
{
    if (argc < 2)
        return 0;
    if (strcmp(argv[1], "--help") == 0)
        return "Usage: kestrune [TYPE]\n"
               "       kestrune --help | --version\n"
               "Asks for a new operator name, applies it and offers to restart the phone's\n"
               "phone process. Acts only when run as root. TYPE, a base-10 integer, is the\n"
               "capture dialog's type (0 without it).\n"
               "Exit status: 1 the name was applied (or, not run as root, nothing was done);\n"
               "0 cancelled; 255 the entry was empty, all blanks or too long.\n";
    if (strcmp(argv[1], "--version") == 0)
        return "kestrune " KESTRUNE_VERSION "\n";
    return 0;
}
