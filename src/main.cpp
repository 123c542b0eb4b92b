#include "information_asked.h"
#include "platform.h"
#include "run_flow.h"
#include "standard_streams.h"

#include <stdio.h>

int main(int argc, char **argv)
{
    prepareStandardStreams();
    // Asked for by name, these answer and end the run before anything else:
    // no dialog, no root gate.
    if (const char *information = informationAsked(argc, argv)) {
        fputs(information, stdout);  // NOLINT(cert-err33-c): whoever asked has gone; still a success
        return 0;
    }
    return runFlow(systemPlatform(argc, argv), argc, argv);
}
