#include "heap_counter.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {

bool gCounting = false;
std::ptrdiff_t gLiveBytes = 0;

void Release(void *p) noexcept {
    if (gCounting && p != nullptr) gLiveBytes -= static_cast<std::ptrdiff_t>(malloc_usable_size(p));
    std::free(p);
}

}  // namespace

void *operator new(std::size_t size) {
    void *p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    if (gCounting) gLiveBytes += static_cast<std::ptrdiff_t>(malloc_usable_size(p));
    return p;
}
void operator delete(void *p) noexcept {
    Release(p);
}
void operator delete(void *p, std::size_t) noexcept {
    Release(p);
}

namespace bench {

void StartCountingHeap() {
    gLiveBytes = 0;
    gCounting = true;
}
void StopCountingHeap() {
    gCounting = false;
}
std::ptrdiff_t LiveHeapBytes() {
    return gLiveBytes;
}

}  // namespace bench
