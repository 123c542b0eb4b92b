// How the terminal's refresh question reads an answer.
#pragma once

#include <string>

// "y" or "yes" in any case, with blanks around it; anything else is no, as a
// yes kills processes.
bool isYes(const std::string &answer);
