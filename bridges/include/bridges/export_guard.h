#pragma once
// The catch-all of the Ext exports: an exception caught inside an export's
// body yields -1002 and never crosses into the host.
#include <utility>

#include "ext_family.h"

namespace bridges {

template <typename Body>
int Guarded(Body &&body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return EXT_EXCEPTION;
    }
}

}  // namespace bridges
