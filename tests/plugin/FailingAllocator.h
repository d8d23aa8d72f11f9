// Makes the n-th heap allocation on the current thread throw std::bad_alloc, so
// tests can show that code which runs out of memory halfway stays in a safe state.
// Link tests/plugin/FailingAllocator.cpp into the test binary: it replaces the
// global operator new family.
#pragma once

namespace halcyra::test {

class FailingAllocation {
public:
    // The allocation after `allocationsBeforeFailure` successful ones throws;
    // a negative value never fails and only counts.
    explicit FailingAllocation(long allocationsBeforeFailure);
    ~FailingAllocation();
    bool fired() const;
    long allocations() const;  // made on this thread since construction
};

}  // namespace halcyra::test
