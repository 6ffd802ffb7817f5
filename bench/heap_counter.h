#pragma once
// Live heap bytes of the benchmark program (operator new and delete are
// replaced for the whole program), counted only while counting is on so that
// the timed benchmarks pay nothing for it.
#include <cstddef>

namespace bench {

void StartCountingHeap();  // from zero
void StopCountingHeap();
std::ptrdiff_t LiveHeapBytes();

}  // namespace bench
