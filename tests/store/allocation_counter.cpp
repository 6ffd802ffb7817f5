#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> gCounting{false};
std::atomic<std::size_t> gCount{0};
std::atomic<std::size_t> gLargest{0};

}  // namespace

void *operator new(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) {
        gCount.fetch_add(1, std::memory_order_relaxed);
        std::size_t largest = gLargest.load(std::memory_order_relaxed);
        while (size > largest && !gLargest.compare_exchange_weak(largest, size)) {
        }
    }
    if (void *p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

namespace store_test {

AllocationCounter::AllocationCounter() {
    gCount = 0;
    gLargest = 0;
    gCounting = true;
}
AllocationCounter::~AllocationCounter() {
    gCounting = false;
}
std::size_t AllocationCounter::Count() const {
    return gCount;
}
std::size_t AllocationCounter::Largest() const {
    return gLargest;
}

}  // namespace store_test
