// The editor's LV2 UI descriptor. Every host call is guarded: a host without the
// required features, or a display that refuses a window, gets no editor, never a crash.
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <cstring>
#include <memory>

#include "frame-lv2/Lv2Layout.h"
#include "frame-lv2/ui/Lv2Editor.h"

namespace halcyra::lv2 {
namespace {

Lv2Editor* self(LV2UI_Handle h) { return static_cast<Lv2Editor*>(h); }

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char* bundlePath,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features) {
    if (!pluginUri || (std::strcmp(pluginUri, kStereoUri) != 0 && std::strcmp(pluginUri, kMonoUri) != 0) || !write ||
        !widget)
        return nullptr;
    Lv2Editor::HostLinks links;
    links.write = write;
    links.controller = controller;
    links.bundlePath = bundlePath ? bundlePath : "";
    for (int i = 0; features && features[i]; ++i) {
        const LV2_Feature& f = *features[i];
        if (std::strcmp(f.URI, LV2_INSTANCE_ACCESS_URI) == 0) links.effect = static_cast<Lv2Effect*>(f.data);
        else if (std::strcmp(f.URI, LV2_UI__parent) == 0) links.parent = f.data;
        else if (std::strcmp(f.URI, LV2_UI__resize) == 0) links.resize = static_cast<const LV2UI_Resize*>(f.data);
        else if (std::strcmp(f.URI, LV2_UI__touch) == 0) links.touch = static_cast<const LV2UI_Touch*>(f.data);
    }
    if (!links.effect || !links.parent) return nullptr;
    try {
        auto editor = std::make_unique<Lv2Editor>(links);
        if (!editor->open()) return nullptr;
        *widget = editor->widget();
        return editor.release();
    } catch (...) {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle h) { delete self(h); }

void portEvent(LV2UI_Handle h, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    try {
        self(h)->portEvent(port, size, format, buffer);
    } catch (...) {
    }
}

int idle(LV2UI_Handle h) {
    try {
        self(h)->idle();
    } catch (...) {
    }
    return 0;  // the editor never asks the host to close it
}

const void* extensionData(const char* uri) {
    static const LV2UI_Idle_Interface idleInterface{idle};
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor{kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace
}  // namespace halcyra::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &halcyra::lv2::kDescriptor : nullptr;
}
