#include "platform.h"
#include "run_flow.h"

int main(int argc, char **argv)
{
    return runFlow(systemPlatform(), argc, argv);
}
