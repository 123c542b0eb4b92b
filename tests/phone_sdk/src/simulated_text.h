// The text behind the simulated QString and QCString: shared by copies, and
// logged when the last copy lets go of it.
#pragma once

#include <string>

struct SimulatedText {
    const char *kind;  // "QString" or "QCString"
    std::string bytes;
    int references;
};

SimulatedText *newSimulatedText(const char *kind, const std::string &bytes);
SimulatedText *shareSimulatedText(SimulatedText *text);
void releaseSimulatedText(SimulatedText *text);
