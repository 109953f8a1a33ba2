// Tests: the largest single allocation a piece of code makes, watched through the test program's
// own operator new (largest_allocation.cpp).
#pragma once
#include <cstddef>

namespace testalloc {

// While one is alive, every operator new on this thread is measured; bytes() is the largest.
class LargestAllocation {
public:
    LargestAllocation();
    ~LargestAllocation();
    LargestAllocation(const LargestAllocation&) = delete;
    LargestAllocation& operator=(const LargestAllocation&) = delete;
    std::size_t bytes() const;
};

}  // namespace testalloc
