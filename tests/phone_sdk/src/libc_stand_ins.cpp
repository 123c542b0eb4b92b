// Takes the place of the C library's getuid and system in the whole test
// program: the phone adapter calls them by these names, as on the phone,
// and no test may run the refresh command for real.
#include "simulated_phone.h"

#include <stdlib.h>
#include <unistd.h>

uid_t getuid() __THROW
{
    recordCall("getuid() -> " + std::to_string(phoneScript().realUserId));
    return static_cast<uid_t>(phoneScript().realUserId);
}

int system(const char *command)
{
    recordCall("system(" + quoted(command) + ")");
    return 0;
}
