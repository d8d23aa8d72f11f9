// Makes the n-th heap allocation on the current thread throw std::bad_alloc, so
// tests can show that code which runs out of memory halfway stays in a safe state.
// Link tests/plugin/FailingAllocator.cpp into the test binary: it replaces the
// global operator new family.
#pragma once

namespace halcyra::test {

class FailingAllocation {
public:
    // The allocation after `allocationsBeforeFailure` successful ones throws.
    explicit FailingAllocation(long allocationsBeforeFailure);
    ~FailingAllocation();
    bool fired() const;
};

}  // namespace halcyra::test
