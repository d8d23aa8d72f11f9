#include "tools/host/HostParameterChanges.h"

namespace halcyra::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

bool HostParamValueQueue::add(int32 offset, double value) {
    int32 index = 0;
    return addPoint(offset, value, index) == kResultOk;
}

tresult PLUGIN_API HostParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
    if (index < 0 || index >= count_) return kInvalidArgument;
    sampleOffset = offsets_[static_cast<std::size_t>(index)];
    value = values_[static_cast<std::size_t>(index)];
    return kResultOk;
}

tresult PLUGIN_API HostParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index) {
    if (count_ >= kMaxPoints) return kResultFalse;
    index = count_++;
    offsets_[static_cast<std::size_t>(index)] = sampleOffset;
    values_[static_cast<std::size_t>(index)] = value;
    return kResultOk;
}

tresult PLUGIN_API HostParamValueQueue::queryInterface(const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, IParamValueQueue::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        *obj = static_cast<IParamValueQueue*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

bool HostParameterChanges::add(ParamID id, int32 offset, double value) {
    int32 index = 0;
    IParamValueQueue* queue = addParameterData(id, index);
    return queue && static_cast<HostParamValueQueue*>(queue)->add(offset, value);
}

IParamValueQueue* PLUGIN_API HostParameterChanges::getParameterData(int32 index) {
    if (index < 0 || index >= count_) return nullptr;
    return &queues_[static_cast<std::size_t>(index)];
}

IParamValueQueue* PLUGIN_API HostParameterChanges::addParameterData(const ParamID& id, int32& index) {
    for (int32 i = 0; i < count_; ++i) {
        if (queues_[static_cast<std::size_t>(i)].getParameterId() == id) {
            index = i;
            return &queues_[static_cast<std::size_t>(i)];
        }
    }
    if (count_ >= kMaxParameters) return nullptr;
    index = count_++;
    queues_[static_cast<std::size_t>(index)].reset(id);
    return &queues_[static_cast<std::size_t>(index)];
}

tresult PLUGIN_API HostParameterChanges::queryInterface(const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, IParameterChanges::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        *obj = static_cast<IParameterChanges*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}  // namespace halcyra::host
