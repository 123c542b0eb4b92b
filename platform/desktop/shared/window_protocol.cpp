#include "window_protocol.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

bool sendWindowMessage(int channel, const WindowMessage &message)
{
    std::string packet(1, static_cast<char>(message.kind));
    for (const std::string &field : message.fields) {
        packet.append(field.c_str());
        packet.push_back('\0');
    }
    if (packet.size() > windowMessageLimit)
        return false;
    ssize_t sent;
    do
        sent = send(channel, packet.data(), packet.size(), MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(packet.size());
}

WindowReceipt receiveWindowMessage(int channel, WindowMessage &message)
{
    char packet[windowMessageLimit + 1];
    ssize_t length;
    do
        length = recv(channel, packet, sizeof packet, 0);
    while (length < 0 && errno == EINTR);
    if (length <= 0)
        return WindowReceipt::ended;
    // One byte more than the limit was asked for: a packet that filled it
    // was longer than any that is sent.
    const size_t size = static_cast<size_t>(length);
    if (size > windowMessageLimit || (size > 1 && packet[size - 1] != '\0'))
        return WindowReceipt::malformed;
    message.kind = static_cast<WindowMessageKind>(packet[0]);
    message.fields.clear();
    for (size_t start = 1; start < size;) {
        const size_t end = start + std::strlen(packet + start);
        message.fields.emplace_back(packet + start, end - start);
        start = end + 1;
    }
    return WindowReceipt::message;
}
