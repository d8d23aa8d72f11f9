// The host's side of the controller's edit notifications: records every call so a
// caller (a test, or the render tool) can see what the plug-in told its host.
#pragma once

#include <vector>

#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace halcyra::host {

struct HandlerEvent {
    enum Kind { Begin, Perform, End, Restart } kind;
    Steinberg::Vst::ParamID id = 0;
    double value = 0.0;        // Perform: the normalised value
    Steinberg::int32 flags = 0;  // Restart: the restart flags
};

class ComponentHandlerLog final : public Steinberg::Vst::IComponentHandler {
public:
    const std::vector<HandlerEvent>& events() const { return events_; }
    void clear() { events_.clear(); }

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }   // owned by the host instance
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    std::vector<HandlerEvent> events_;
};

}  // namespace halcyra::host
