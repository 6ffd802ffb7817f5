#pragma once
// Counts the heap allocations of this test program (operator new is replaced
// for the whole program) while a counter is alive.
#include <cstddef>

namespace store_test {

class AllocationCounter {
  public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter &) = delete;
    AllocationCounter &operator=(const AllocationCounter &) = delete;

    std::size_t Count() const;
    std::size_t Largest() const;  // bytes of the largest single allocation
};

}  // namespace store_test
