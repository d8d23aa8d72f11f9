#include "plugin/AbCompareState.h"

#include <algorithm>

namespace halcyra {

namespace {

constexpr ParamId kExcludedParams[] = {kMonitor, kEvents, kOutput, kResponseMode, kAttack, kDecay, kStarMix};

}  // namespace

bool AbCompareState::isExcluded(int paramIndex) {
    for (ParamId p : kExcludedParams)
        if (p == paramIndex) return true;
    return false;
}

void AbCompareState::setUp(const ParameterEditor& params) {
    if (!valid_[kSlotA] && !valid_[kSlotB]) {
        capture(kSlotA, params);
        capture(kSlotB, params);
    }
}

void AbCompareState::capture(int slot, const ParameterEditor& params) {
    if (!isSlot(slot)) return;
    std::vector<double>& s = snapshots_[static_cast<std::size_t>(slot)];
    s.resize(kNumParams);
    for (int i = 0; i < kNumParams; ++i) s[static_cast<std::size_t>(i)] = params.value(i);
    valid_[static_cast<std::size_t>(slot)] = true;
}

void AbCompareState::select(int slot, ParameterEditor& params) {
    if (!isSlot(slot) || slot == current_) return;
    capture(current_, params);
    if (!valid_[static_cast<std::size_t>(slot)]) {
        snapshots_[static_cast<std::size_t>(slot)] = snapshots_[static_cast<std::size_t>(current_)];
        valid_[static_cast<std::size_t>(slot)] = true;
    }
    current_ = slot;

    const std::vector<double>& target = snapshots_[static_cast<std::size_t>(slot)];
    const int count = std::min(static_cast<int>(target.size()), static_cast<int>(kNumParams));
    for (int i = 0; i < count; ++i) {
        if (isExcluded(i)) continue;
        params.setFromPlugin(i, target[static_cast<std::size_t>(i)]);
    }
}

void AbCompareState::copyAToB(const ParameterEditor& params) {
    if (current_ == kSlotA) capture(kSlotA, params);
    if (!valid_[kSlotA]) return;
    snapshots_[kSlotB] = snapshots_[kSlotA];
    valid_[kSlotB] = true;
}

const std::vector<double>& AbCompareState::snapshot(int slot) const {
    static const std::vector<double> kNone;
    return isSlot(slot) ? snapshots_[static_cast<std::size_t>(slot)] : kNone;
}

}  // namespace halcyra
