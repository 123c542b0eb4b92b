#ifndef KESTRUNE_INFORMATION_ASKED_H
#define KESTRUNE_INFORMATION_ASKED_H

// The text that answers `--help` or `--version` as the first argument, or 0
// when the run is not asked for either: any other first argument is the
// capture dialog's type.
const char *informationAsked(int argc, char **argv);

#endif
