#include "tests/plugin/FailingAllocator.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {
thread_local long tRemaining = -1;  // < 0: never fail
thread_local bool tFired = false;
thread_local long tCount = 0;

void* allocate(std::size_t size, std::size_t align) {
    ++tCount;
    if (tRemaining == 0) {
        tRemaining = -1;
        tFired = true;
        throw std::bad_alloc();
    }
    if (tRemaining > 0) --tRemaining;
    void* p = nullptr;
    if (align <= alignof(std::max_align_t)) {
        p = std::malloc(size == 0 ? 1 : size);
    } else {
        const std::size_t rounded = (size + align - 1) / align * align;
        p = std::aligned_alloc(align, rounded == 0 ? align : rounded);
    }
    if (!p) throw std::bad_alloc();
    return p;
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size, 0); }
void* operator new[](std::size_t size) { return allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) { return allocate(size, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocate(size, static_cast<std::size_t>(a)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace halcyra::test {
FailingAllocation::FailingAllocation(long allocationsBeforeFailure) {
    tRemaining = allocationsBeforeFailure;
    tFired = false;
    tCount = 0;
}
FailingAllocation::~FailingAllocation() { tRemaining = -1; }
bool FailingAllocation::fired() const { return tFired; }
long FailingAllocation::allocations() const { return tCount; }
}  // namespace halcyra::test
