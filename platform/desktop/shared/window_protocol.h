// What the tool and its window program say to each other, over a socketpair
// of SOCK_SEQPACKET: one message a packet, a kind byte and then its fields,
// each ended by a NUL. The tool trusts nothing in what comes back beyond
// this form and the bounds below: the window program runs with the rights of
// whoever asked for root.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Where the window program finds its end of the socketpair.
constexpr int windowChannelDescriptor = 3;

// No message is longer; a longer one is cut and so refused as malformed.
constexpr std::size_t windowMessageLimit = 8192;

// How much of an entered text comes back; the answer also says how long the
// whole text was, so that an entry too long for the name is refused as such.
constexpr std::size_t windowTextLimit = 4096;

enum class WindowMessageKind : char {
    // To the window program.
    captureRequest = 'C',  // caption, prompt, the entry's text
    messageRequest = 'M',  // message dialog type, caption, text
    // From it.
    ready = 'R',     // the toolkit runs on the display, and waits for requests
    unusable = 'U',  // why no window can be shown there
    shown = 'S',     // the requested dialog is on the screen
    answer = 'A',    // result code, the entered text's length, its first windowTextLimit bytes
};

struct WindowMessage {
    WindowMessageKind kind;
    std::vector<std::string> fields;
};

// Fields are cut at their first NUL. Returns false when the message could
// not be sent whole.
bool sendWindowMessage(int channel, const WindowMessage &message);

enum class WindowReceipt { message, ended, malformed };

// Reads one message. A packet that is too long, or whose last field has no
// NUL, is malformed; end of file, or a read error, is the end.
WindowReceipt receiveWindowMessage(int channel, WindowMessage &message);
