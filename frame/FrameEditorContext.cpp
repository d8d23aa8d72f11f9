#include "frame/FrameEditorContext.h"

#include <algorithm>

#include "frame/BundleResources.h"
#include "plugin/HalcyraPlugin.h"

namespace halcyra::vst3 {

FrameEditorContext::FrameEditorContext(HalcyraPlugin& plugin, FrameParameterEditor& parameterEditor)
    : plugin_(plugin), parameterEditor_(parameterEditor) {
    parameterEditor_.setViewListener(this);
}

FrameEditorContext::~FrameEditorContext() { parameterEditor_.setViewListener(nullptr); }

double FrameEditorContext::paramValue(int index) const {
    if (index < 0 || index >= kNumParams) return 0.0;
    return plugin_.parameters().get(index);
}

SkyFeedReader& FrameEditorContext::skyFeedReader() { return plugin_.skyFeedReader(); }

double FrameEditorContext::sampleRate() const { return plugin_.preparedSampleRate(); }

EditorCommandQueue& FrameEditorContext::commandQueue() { return plugin_.commandQueue(); }

ParameterStore& FrameEditorContext::store() { return plugin_.parameters(); }

std::string FrameEditorContext::resourcePath(const std::string& name) const { return ownBundleResourcePath(name); }

void FrameEditorContext::openWithSystem(const std::string& urlOrPath) { opener_.Open(urlOrPath); }

void FrameEditorContext::addView(ParameterViewListener* view) {
    if (view != nullptr && std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void FrameEditorContext::removeView(ParameterViewListener* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void FrameEditorContext::parameterChanged(int index, double normalized) { parameterChangedBy(nullptr, index, normalized); }

void FrameEditorContext::parameterChangedBy(const ParameterViewListener* origin, int index, double normalized) {
    if (index < 0 || index >= kNumParams) return;
    for (ParameterViewListener* v : views_)
        if (v != origin) v->parameterChanged(index, normalized);
}

}  // namespace halcyra::vst3
