#include "view/ViewFixture.h"

#include <X11/Xlib.h>
#include <dirent.h>
#include <stdlib.h>

#include <filesystem>

#include "tools/host/HostError.h"
#include "tools/x11host/VirtualDisplay.h"

namespace halcyra::test {

namespace {

bool gDisplay = false;
std::string gHome;
std::unique_ptr<x11host::VirtualDisplay> gVirtualDisplay;

class ViewEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/halcyra-view-home-XXXXXX";
        if (const char* made = mkdtemp(pattern)) {
            gHome = made;
            setenv("HOME", made, 1);
        }
        try {
            gVirtualDisplay = std::make_unique<x11host::VirtualDisplay>();
            gDisplay = true;
        } catch (const host::HostError&) {
            gDisplay = false;
        }
    }
    void TearDown() override {
        gVirtualDisplay.reset();
        std::error_code ec;
        if (!gHome.empty()) std::filesystem::remove_all(gHome, ec);
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ViewEnvironment);

}  // namespace

bool displayAvailable() { return gDisplay; }
const std::string& temporaryHome() { return gHome; }

host::Vst3Module& sharedModule() {
    static host::Vst3Module module(HALCYRA_BUNDLE_PATH);
    return module;
}

int openDescriptorCount() {
    int n = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++n;
        closedir(dir);
    }
    return n;
}

EditorInParent::EditorInParent(bool configure) {
    instance = std::make_unique<host::PluginInstance>(sharedModule());
    if (configure) {
        host::ProcessSettings settings;
        settings.sampleRate = 48000.0;
        instance->configure(settings);
    }
    editor = std::make_unique<host::HostEditor>(*instance->controller(), [this](int w, int h) {
        if (parent) parent->resize(w, h);
    });
    const Steinberg::ViewRect size = editor->size();
    parent = std::make_unique<x11host::X11ParentWindow>(size.getWidth(), size.getHeight());
}

EditorInParent::~EditorInParent() {
    editor->close();  // the view goes before the window it lives in and before the instance
    editor.reset();
    parent.reset();
    instance.reset();
}

Steinberg::tresult EditorInParent::attach() { return editor->attach(parent->id()); }

Window EditorInParent::editorWindow() const {
    const auto children = parent->children();
    return children.empty() ? 0 : children.front();
}

x11host::RgbaImage EditorInParent::capture() const {
    const Window w = editorWindow();
    return w != 0 ? parent->capture(w) : x11host::RgbaImage{};
}

void EditorInParent::sendButton(int type, int x, int y) {
    const Window target = editorWindow();
    ASSERT_NE(target, 0u);
    XEvent e{};
    e.type = type;
    Display* d = parent->display();
    if (type == MotionNotify) {
        e.xmotion.display = d;
        e.xmotion.window = target;
        e.xmotion.x = x;
        e.xmotion.y = y;
        e.xmotion.state = Button1Mask;
        e.xmotion.time = time_ += 16;
        e.xmotion.same_screen = True;
        XSendEvent(d, target, False, PointerMotionMask, &e);
    } else {
        e.xbutton.display = d;
        e.xbutton.window = target;
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.button = Button1;
        e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
        // Presses a second apart: never read as a double click.
        e.xbutton.time = time_ += (type == ButtonPress ? 1000 : 16);
        e.xbutton.same_screen = True;
        XSendEvent(d, target, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
    }
    XFlush(d);
    // Long enough for a frame or two even on a busy machine: events Xlib has already
    // read are handled at the next frame.
    pump(80);
}

void EditorInParent::press(int x, int y) { sendButton(ButtonPress, x, y); }
void EditorInParent::moveTo(int x, int y) { sendButton(MotionNotify, x, y); }
void EditorInParent::release(int x, int y) { sendButton(ButtonRelease, x, y); }
void EditorInParent::click(int x, int y) {
    press(x, y);
    release(x, y);
}

}  // namespace halcyra::test
