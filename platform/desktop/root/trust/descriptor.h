// A file descriptor that closes itself when it goes out of scope, so that no
// early return of the store leaves one open.
#pragma once

#include <unistd.h>

#include <utility>

class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : descriptor(descriptor) {}
    Descriptor(Descriptor &&other) noexcept : descriptor(std::exchange(other.descriptor, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        std::swap(descriptor, other.descriptor);
        return *this;
    }
    ~Descriptor()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }

    int get() const { return descriptor; }
    explicit operator bool() const { return descriptor >= 0; }

    // Closes now, so that a failure to write back can still be reported.
    bool close()
    {
        return ::close(std::exchange(descriptor, -1)) == 0;
    }

private:
    int descriptor;
};
