// Both ends of the channel to the window program, over a real socketpair:
// what comes back from it is checked for form before anything is believed.
#include "window_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct Channel {
    Channel()
    {
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends), 0);
        // A message that was never sent fails the row instead of hanging it.
        const timeval second{1, 0};
        setsockopt(ends[1], SOL_SOCKET, SO_RCVTIMEO, &second, sizeof second);
    }
    ~Channel()
    {
        for (const int end : ends)
            if (end >= 0)
                close(end);
    }
    int ends[2] = {-1, -1};
};

TEST(WindowProtocol, sendsWhatFitsAndCutsFieldsAtNul)
{
    struct Case {
        const char *name;
        std::vector<std::string> fields;
        bool sent;
        std::vector<std::string> received;
    };
    const std::string atLimit(windowMessageLimit - 2, 'x');  // with the kind byte and one NUL
    const Case cases[] = {
        {"severalFields", {"Caption", "", "中国联通"}, true, {"Caption", "", "中国联通"}},
        {"embeddedNulCuts", {std::string("ab\0cd", 5), "e"}, true, {"ab", "e"}},
        {"exactlyTheLimit", {atLimit}, true, {atLimit}},
        {"oneByteOverTheLimit", {atLimit + "x"}, false, {}},
        // The limit is on what is sent: what follows a NUL counts for nothing.
        {"longOnlyAfterNul", {std::string("ab\0", 3) + std::string(windowMessageLimit, 'y')}, true, {"ab"}},
    };
    for (const Case &c : cases) {
        Channel channel;
        EXPECT_EQ(sendWindowMessage(channel.ends[0], {WindowMessageKind::captureRequest, c.fields}), c.sent)
            << c.name;
        char byte;
        if (!c.sent) {
            EXPECT_LT(recv(channel.ends[1], &byte, 1, MSG_DONTWAIT), 0) << c.name << ": nothing is sent";
            continue;
        }
        WindowMessage message{WindowMessageKind::ready, {"stale"}};
        ASSERT_EQ(receiveWindowMessage(channel.ends[1], message), WindowReceipt::message) << c.name;
        EXPECT_EQ(message.kind, WindowMessageKind::captureRequest) << c.name;
        EXPECT_EQ(message.fields, c.received) << c.name;
    }
    Channel closed;
    close(std::exchange(closed.ends[1], -1));
    EXPECT_FALSE(sendWindowMessage(closed.ends[0], {WindowMessageKind::ready, {}})) << "peer closed";
}

TEST(WindowProtocol, receivesOnlyWellFormedPackets)
{
    struct Case {
        const char *name;
        std::string packet;  // sent raw; empty: the peer closes instead
        WindowReceipt receipt;
        std::vector<std::string> fields;
    };
    const std::string longest = "A" + std::string(windowMessageLimit - 2, 'z') + '\0';
    const Case cases[] = {
        {"kindOnly", "R", WindowReceipt::message, {}},
        {"emptyFields", std::string("U\0\0", 3), WindowReceipt::message, {"", ""}},
        {"longestThatIsSent", longest, WindowReceipt::message, {longest.substr(1, windowMessageLimit - 2)}},
        {"longerThanTheLimit", "A" + longest, WindowReceipt::malformed, {}},
        {"lastFieldWithoutNul", std::string("A0\0abc", 6), WindowReceipt::malformed, {}},
        {"peerClosed", "", WindowReceipt::ended, {}},
    };
    for (const Case &c : cases) {
        Channel channel;
        if (c.packet.empty()) {
            close(std::exchange(channel.ends[0], -1));
        } else {
            ASSERT_EQ(send(channel.ends[0], c.packet.data(), c.packet.size(), 0), ssize_t(c.packet.size()));
        }
        WindowMessage message{WindowMessageKind::ready, {"stale"}};
        EXPECT_EQ(receiveWindowMessage(channel.ends[1], message), c.receipt) << c.name;
        if (c.receipt == WindowReceipt::message) {
            EXPECT_EQ(message.kind, WindowMessageKind(c.packet[0])) << c.name;
            EXPECT_EQ(message.fields, c.fields) << c.name;
        }
    }
}

}  // namespace
