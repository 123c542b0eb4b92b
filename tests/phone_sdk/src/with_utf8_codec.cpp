#include "simulated_phone.h"

const bool simulatedUtf8CodecExists = true;
