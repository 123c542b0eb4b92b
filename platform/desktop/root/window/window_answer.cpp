#include "window_answer.h"

#include "utf8_repair.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

// Decimal digits only, no sign or blanks, and at most `limit`.
bool parseCount(const std::string &text, unsigned long long limit, unsigned long long &value)
{
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0 && value <= limit;
}

}  // namespace

bool readWindowAnswer(const WindowMessage &message, WindowAnswer &answer, std::string &failure)
{
    unsigned long long code = 0;
    unsigned long long length = 0;
    // The text comes whole when it fits the message, else not at all.
    if (message.kind != WindowMessageKind::answer || message.fields.size() != 3 ||
        !parseCount(message.fields[0], INT_MAX, code) || !parseCount(message.fields[1], SIZE_MAX - 1, length) ||
        message.fields[2].size() != (length <= windowTextLimit ? length : 0)) {
        failure = "the window program said something unexpected";
        return false;
    }
    // The toolkit only ever hands over UTF-8: anything else is a program
    // that is not ours, and the run flow must not store or print it.
    if (!isValidUtf8(message.fields[2])) {
        failure = "the window program's answer is not UTF-8";
        return false;
    }
    answer.code = static_cast<int>(code);
    answer.text = message.fields[2];
    answer.length = static_cast<size_t>(length);
    return true;
}
