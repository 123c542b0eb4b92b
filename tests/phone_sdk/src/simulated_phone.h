// The simulated phone behind the simulated framework and toolkit: the answers
// its user gives, and the log of every call a program makes into it.
#pragma once

#include <string>
#include <vector>

class ConsoleCapture;

struct PhoneScript {
    int realUserId = 0;
    int captureResult = 1;     // the capture dialog's result code; 0: cancelled
    std::string enteredText;   // UTF-8, as the dialog hands it over
    bool nullText = false;     // the dialog hands over the toolkit's null string instead
    int messageResult = 0;     // what each message dialog's exec() gives; 1: yes
};

// The answers for the next run; tests set them before it starts.
PhoneScript &phoneScript();

// Whether the toolkit has a codec named "UTF-8". Decided when the program is
// linked (with_utf8_codec.cpp or without_utf8_codec.cpp), because programs
// look the codec up before main.
extern const bool simulatedUtf8CodecExists;

// Every call, with its arguments, in the order they came.
void recordCall(const std::string &call);
std::vector<std::string> takeRecordedCalls();

// While set, what the program writes to standard output is logged too, as
// "stdout: ..." at the point where it was written.
void logConsole(ConsoleCapture *console);

// A C string as it appears in the log: in double quotes, or null.
std::string quoted(const char *text);
