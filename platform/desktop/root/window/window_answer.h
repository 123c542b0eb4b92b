// What the window program says a person answered, checked in full before
// the tool uses any of it: the program runs with the rights of whoever
// asked for root, and may not be ours at all.
#pragma once

#include "window_protocol.h"

#include <cstddef>
#include <string>

struct WindowAnswer {
    int code = 0;  // the dialog's result code
    std::string text;  // the entered text, valid UTF-8, when it came whole
    size_t length = 0;  // the entered text's whole length in bytes
};

// Reads `message` as an answer: a decimal code up to INT_MAX, the text's
// decimal length, and the text itself when that length is at most
// windowTextLimit (else empty), in UTF-8. Returns false with the reason in
// `failure` for anything else.
bool readWindowAnswer(const WindowMessage &message, WindowAnswer &answer, std::string &failure);
