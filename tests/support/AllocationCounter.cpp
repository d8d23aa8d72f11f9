#include "support/AllocationCounter.h"

#include <cerrno>
#include <cstdlib>
#include <new>

namespace {
thread_local std::size_t tAllocations = 0;
}  // namespace

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizer runtime owns malloc, so count the C++ allocation functions; sanitizer
// builds link the plug-in module with the shared C++ runtime, whose operator new
// resolves to these.
namespace {
void* allocate(std::size_t size) {
    ++tAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t align) {
    ++tAllocations;
    const std::size_t a = static_cast<std::size_t>(align);
    const std::size_t rounded = (size + a - 1) / a * a;
    if (void* p = std::aligned_alloc(a, rounded == 0 ? a : rounded)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++tAllocations;
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    ++tAllocations;
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#else
// The release module carries its own C++ runtime, whose operator new stays hidden in
// it and reaches the heap only through the C library: count there, which sees the
// module, this program and every C library alike.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size) noexcept {
    ++tAllocations;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    ++tAllocations;
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    ++tAllocations;
    return __libc_realloc(p, size);
}
void* memalign(std::size_t align, std::size_t size) noexcept {
    ++tAllocations;
    return __libc_memalign(align, size);
}
void* aligned_alloc(std::size_t align, std::size_t size) noexcept {
    ++tAllocations;
    return __libc_memalign(align, size);
}
int posix_memalign(void** out, std::size_t align, std::size_t size) noexcept {
    if (align % sizeof(void*) != 0 || (align & (align - 1)) != 0) return EINVAL;
    ++tAllocations;
    void* p = __libc_memalign(align, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}
#endif

namespace halcyra::test {
AllocationCounter::AllocationCounter() : start_(tAllocations) {}
AllocationCounter::~AllocationCounter() = default;
std::size_t AllocationCounter::count() const { return tAllocations - start_; }
}  // namespace halcyra::test
