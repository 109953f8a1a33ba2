// Tests: the test program's operator new and delete, the standard ones on malloc and free but
// measuring what LargestAllocation watches (largest_allocation.h). Every form that does not take
// an alignment is replaced, so that no block passes between these and the library's own.
#include <cstdlib>
#include <new>

#include "tests/support/largest_allocation.h"

namespace {

thread_local bool watching = false;
thread_local std::size_t largest = 0;

void* allocate(std::size_t n) {
    if (watching && n > largest) largest = n;
    for (;;) {
        if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) throw std::bad_alloc();
        handler();
    }
}

void* allocateOrNull(std::size_t n) noexcept {
    try {
        return allocate(n);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n) { return allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return allocateOrNull(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return allocateOrNull(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace testalloc {

LargestAllocation::LargestAllocation() {
    watching = true;
    largest = 0;
}
LargestAllocation::~LargestAllocation() { watching = false; }
std::size_t LargestAllocation::bytes() const { return largest; }

}  // namespace testalloc
