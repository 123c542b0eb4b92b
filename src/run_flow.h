#ifndef KESTRUNE_RUN_FLOW_H
#define KESTRUNE_RUN_FLOW_H

class Platform;

// What one run returns from main, and so the process's exit status.
enum RunResult {
    runRefused = 1,    // not run as root: nothing was touched
    runCancelled = 0,  // the capture dialog was cancelled
    runRejected = -1,  // the entry was empty, all blanks or too long (exit status 255)
    runApplied = 1     // the name was handed over, refreshed or not
};

// One whole run of the tool on `platform`: asks for the operator name,
// applies it and offers to refresh the phone. Returns a RunResult.
int runFlow(Platform &platform, int &argc, char **argv);

#endif
