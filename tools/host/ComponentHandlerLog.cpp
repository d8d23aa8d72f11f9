#include "tools/host/ComponentHandlerLog.h"

namespace halcyra::host {

using namespace Steinberg;

tresult PLUGIN_API ComponentHandlerLog::beginEdit(Vst::ParamID id) {
    events_.push_back({HandlerEvent::Begin, id, 0.0, 0});
    return kResultOk;
}
tresult PLUGIN_API ComponentHandlerLog::performEdit(Vst::ParamID id, Vst::ParamValue value) {
    events_.push_back({HandlerEvent::Perform, id, value, 0});
    return kResultOk;
}
tresult PLUGIN_API ComponentHandlerLog::endEdit(Vst::ParamID id) {
    events_.push_back({HandlerEvent::End, id, 0.0, 0});
    return kResultOk;
}
tresult PLUGIN_API ComponentHandlerLog::restartComponent(int32 flags) {
    events_.push_back({HandlerEvent::Restart, 0, 0.0, flags});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandlerLog::queryInterface(const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, Vst::IComponentHandler::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        *obj = static_cast<Vst::IComponentHandler*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}  // namespace halcyra::host
