// Opening and closing the real module's editor the way hosts and validators do:
// many times over, before the effect has a sample rate, while another thread
// processes, into parents it cannot use, and closed from inside its own callbacks.
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "view/ViewFixture.h"

namespace halcyra::test {
namespace {

using namespace Steinberg;

int distinctColours(const x11host::RgbaImage& image) {
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4)
        colours.insert(image.pixels[i] | image.pixels[i + 1] << 8 | image.pixels[i + 2] << 16);
    return static_cast<int>(colours.size());
}

TEST(ViewLifecycle, OpensDrawsAndClosesTwentyTimesWithoutLeakingDescriptorsOrWindows) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent warmUp;  // the GL driver keeps a few descriptors after its first use
    ASSERT_EQ(warmUp.attach(), kResultOk);
    warmUp.pump(50);
    warmUp.editor->close();

    EditorInParent host;
    const int descriptorsBefore = openDescriptorCount();
    ASSERT_TRUE(host.parent->children().empty());
    for (int round = 0; round < 20; ++round) {
        host.editor = std::make_unique<host::HostEditor>(*host.instance->controller());
        ASSERT_EQ(host.attach(), kResultOk) << "round " << round;
        host.pump(40);
        ASSERT_EQ(host.parent->children().size(), 1u) << "round " << round;
        if (round % 5 == 0) {
            const x11host::RgbaImage picture = host.capture();
            ASSERT_EQ(picture.width, 912);
            EXPECT_GT(distinctColours(picture), 200) << "round " << round << ": the editor drew nothing";
        }
        EXPECT_EQ(host.editor->runLoop().eventHandlerCount(), 1);
        EXPECT_EQ(host.editor->runLoop().timerCount(), 1);
        host.editor->close();
        EXPECT_EQ(host.editor->runLoop().eventHandlerCount(), 0) << "round " << round;
        EXPECT_EQ(host.editor->runLoop().timerCount(), 0) << "round " << round;
        EXPECT_EQ(host.editor->runLoop().selfRemovedTimers(), 0);
    }
    EXPECT_TRUE(host.parent->children().empty());
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
}

TEST(ViewLifecycle, RefusesWhatItCannotUseWithoutCrashingOrLeaving) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    IPlugView* view = host.editor->view();
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(host.parent->id()), kPlatformTypeHWND), kResultFalse);
    EXPECT_EQ(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultFalse);

    const int descriptorsBefore = openDescriptorCount();
    // An id that names no window: the X server refuses the child window.
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x3ffffeUL), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);

    // A frame without a run loop: the window could never paint or answer, so no editor.
    host.editor->frame().setOffersRunLoop(false);
    EXPECT_EQ(host.attach(), kResultFalse);
    EXPECT_TRUE(host.parent->children().empty());
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);

    host.editor->frame().setOffersRunLoop(true);
    ASSERT_EQ(host.attach(), kResultOk);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(host.parent->id()), kPlatformTypeX11EmbedWindowID), kResultFalse)
        << "a second attach while open";
    EXPECT_EQ(host.parent->children().size(), 1u);
}

TEST(ViewLifecycle, OpensWithoutASampleRateAndWhileAnotherThreadProcesses) {
    HALCYRA_REQUIRE_DISPLAY();
    {
        EditorInParent unconfigured(false);  // never set up: sample rate 0
        ASSERT_EQ(unconfigured.attach(), kResultOk);
        unconfigured.pump(100);
        EXPECT_EQ(unconfigured.parent->children().size(), 1u);
    }

    EditorInParent host;
    host.instance->start();
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        std::vector<float> in(256, 0.25f), outL(256), outR(256);
        const float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {outL.data(), outR.data()};
        while (!stop.load()) {
            host.instance->process(ins, outs, 256);
            blocks.fetch_add(1);
        }
    });
    for (int round = 0; round < 5; ++round) {
        host.editor = std::make_unique<host::HostEditor>(*host.instance->controller());
        EXPECT_EQ(host.attach(), kResultOk);
        host.pump(60);
        host.editor->close();
    }
    stop = true;
    audio.join();
    host.instance->stop();
    EXPECT_GT(blocks.load(), 10);
}

// A host that closes the editor from inside an edit notification: the editor is then
// inside its own run-loop callback and must not unregister its handlers there.
class ClosingHandler final : public Vst::IComponentHandler {
public:
    host::HostEditor* editor = nullptr;
    int begins = 0;
    tresult PLUGIN_API beginEdit(Vst::ParamID) override {
        ++begins;
        if (editor != nullptr && editor->view() != nullptr) editor->view()->removed();
        return kResultOk;
    }
    tresult PLUGIN_API performEdit(Vst::ParamID, Vst::ParamValue) override { return kResultOk; }
    tresult PLUGIN_API endEdit(Vst::ParamID) override { return kResultOk; }
    tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

TEST(ViewLifecycle, ClosedFromInsideItsOwnCallbackItUnregistersOnlyAfterwards) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    ClosingHandler closer;
    closer.editor = host.editor.get();
    host.instance->controller()->setComponentHandler(&closer);
    ASSERT_EQ(host.attach(), kResultOk);
    host.pump(40);

    host.press(px(49), px(476));  // the Size knob: the press begins an edit
    ASSERT_EQ(closer.begins, 1);
    EXPECT_TRUE(host.parent->children().empty()) << "the window goes at once";
    EXPECT_EQ(host.editor->runLoop().selfRemovedTimers(), 0);
    host.pump(50);  // the silenced handlers may still be called: nothing happens

    // The next call from outside a callback finishes the job.
    host.editor->close();
    EXPECT_EQ(host.editor->runLoop().eventHandlerCount(), 0);
    EXPECT_EQ(host.editor->runLoop().timerCount(), 0);
    host.instance->controller()->setComponentHandler(&host.instance->handlerLog());
}

}  // namespace
}  // namespace halcyra::test
