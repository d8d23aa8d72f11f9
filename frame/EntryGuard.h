// No exception may cross into a host: every VST3 entry point runs its body through
// guarded(), which turns an escaping exception into an error code and leaves the
// object as it was.
#pragma once

#include <new>

#include "pluginterfaces/base/funknown.h"

namespace halcyra::vst3 {

template <typename Body>
Steinberg::tresult guarded(Body&& body, Steinberg::tresult onError = Steinberg::kResultFalse) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Steinberg::kOutOfMemory;
    } catch (...) {
        return onError;
    }
}

// For entry points that answer a value rather than a result code.
template <typename Value, typename Body>
Value guardedValue(Body&& body, Value onError) noexcept {
    try {
        return body();
    } catch (...) {
        return onError;
    }
}

}  // namespace halcyra::vst3
