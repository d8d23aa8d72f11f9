// Parameter changes handed to one process call, in fixed storage so that filling and
// reading them never allocates on the audio thread. The host owns these objects; the
// plug-in only borrows them for the call, so reference counting is a no-op.
#pragma once

#include <array>

#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace halcyra::host {

class HostParamValueQueue final : public Steinberg::Vst::IParamValueQueue {
public:
    static constexpr int kMaxPoints = 64;

    void reset(Steinberg::Vst::ParamID id) { id_ = id; count_ = 0; }
    bool add(Steinberg::int32 offset, double value);

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return id_; }
    Steinberg::int32 PLUGIN_API getPointCount() override { return count_; }
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                           Steinberg::int32& index) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    Steinberg::Vst::ParamID id_ = 0;
    Steinberg::int32 count_ = 0;
    std::array<Steinberg::int32, kMaxPoints> offsets_{};
    std::array<double, kMaxPoints> values_{};
};

class HostParameterChanges final : public Steinberg::Vst::IParameterChanges {
public:
    static constexpr int kMaxParameters = 64;

    void clear() { count_ = 0; }
    bool empty() const { return count_ == 0; }
    // Adds a point to the parameter's queue (creating the queue); false when full.
    bool add(Steinberg::Vst::ParamID id, Steinberg::int32 offset, double value);

    Steinberg::int32 PLUGIN_API getParameterCount() override { return count_; }
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                  Steinberg::int32& index) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    Steinberg::int32 count_ = 0;
    std::array<HostParamValueQueue, kMaxParameters> queues_{};
};

}  // namespace halcyra::host
