// Counts heap allocations made by the current thread while a scope is open, so tests
// can prove that audio-thread code allocates nothing. Link tests/support/AllocationCounter.cpp
// into the test binary: it replaces the C allocation functions (the operator new family
// in sanitizer builds, whose runtime owns malloc).
#pragma once

#include <cstddef>

namespace halcyra::test {

// Number of operator new calls on this thread since the counter was created.
class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    std::size_t count() const;

private:
    std::size_t start_;
};

}  // namespace halcyra::test
