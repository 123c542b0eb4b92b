#include "yes_answer.h"

#include <cctype>

bool isYes(const std::string &answer)
{
    std::string word;
    for (unsigned char c : answer)
        word += static_cast<char>(std::tolower(c));
    const size_t first = word.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos)
        return false;
    word = word.substr(first, word.find_last_not_of(" \t\n\v\f\r") + 1 - first);
    return word == "y" || word == "yes";
}
