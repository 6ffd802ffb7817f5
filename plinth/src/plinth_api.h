#pragma once
// Every source of the library includes the C interface through this header.
// The build hides every symbol by default; declaring the interface under
// default visibility lets the version script export exactly these names.
#pragma GCC visibility push(default)
#include "plinth.h"
#pragma GCC visibility pop

namespace plinth {

// Runs the body of an exported function: an exception never leaves the C
// interface, it becomes the failure result 0.
template <class Body>
int Guarded(Body &&body) noexcept {
    try {
        return body() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace plinth
