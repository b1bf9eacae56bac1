// Replaces entries of the platform seam for the lifetime of one object (one test).
#pragma once
#include <stdexcept>

#include "platform/api.h"

namespace platform {

class ScopedApi {
public:
    ScopedApi() : saved_(sys()) {}
    ~ScopedApi() { sys() = saved_; }
    ScopedApi(const ScopedApi&) = delete;
    ScopedApi& operator=(const ScopedApi&) = delete;

    Api& operator*() { return sys(); }
    Api* operator->() { return &sys(); }

private:
    Api saved_;
};

// Thrown by a faked ExitProcess so that a test can see the process end and its code.
struct ProcessExit : std::runtime_error {
    explicit ProcessExit(unsigned c) : std::runtime_error("ExitProcess"), code(c) {}
    unsigned code;
};

}  // namespace platform
