#pragma once
#include <stdexcept>

namespace platform {

// A text that has no form in the target encoding.
class EncodingError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace platform
