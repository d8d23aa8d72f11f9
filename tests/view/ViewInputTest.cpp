// Input through the view: keys from the host's onKeyDown into the preset panel's save
// entry, a knob drag reaching the host as one begin / perform / end gesture, and host
// automation reaching the knob it belongs to.
#include <cstdlib>

#include "plugin/Parameters.h"
#include "presets/PresetStore.h"
#include "view/ViewFixture.h"

namespace halcyra::test {
namespace {

using namespace Steinberg;
using host::HandlerEvent;

constexpr int16 kVst3Return = 4;  // VirtualKeyCodes: KEY_RETURN

// Sum of absolute channel differences over a canvas rectangle (logical units).
long difference(const x11host::RgbaImage& a, const x11host::RgbaImage& b, float l, float t, float r, float bottom) {
    long sum = 0;
    for (int y = px(t); y < px(bottom); ++y)
        for (int x = px(l); x < px(r); ++x)
            for (int c = 0; c < 3; ++c) sum += std::abs(static_cast<int>(a.at(x, y)[c]) - b.at(x, y)[c]);
    return sum;
}

TEST(ViewInput, TypingANameThroughOnKeyDownSavesAUserPreset) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    ASSERT_EQ(host.attach(), kResultOk);
    host.pump(30);
    IPlugView* view = host.editor->view();
    EXPECT_EQ(view->onKeyDown('a', 0, 0), kResultFalse) << "no entry open: the host keeps its keys";

    host.click(px(199), px(22));  // preset list icon: opens the panel
    host.click(px(277), px(72));  // "+ Save current": opens the name entry
    for (char c : std::string("My Sky")) EXPECT_EQ(view->onKeyDown(static_cast<char16>(c), 0, 0), kResultTrue) << c;
    EXPECT_EQ(view->onKeyUp('y', 0, 0), kResultTrue);
    EXPECT_EQ(view->onKeyDown(0, kVst3Return, 0), kResultTrue);
    host.pump(30);

    const PresetStore store;  // the default folder under the test's HOME
    EXPECT_EQ(store.folder().rfind(temporaryHome(), 0), 0u) << store.folder();
    const std::string file = store.findPresetFile("My Sky");
    ASSERT_FALSE(file.empty()) << "no preset named \"My Sky\" in " << store.folder();
    UserPreset saved;
    ASSERT_TRUE(PresetStore::readPresetFile(file, saved));
    EXPECT_EQ(saved.name, "My Sky");
    EXPECT_EQ(view->onKeyDown('b', 0, 0), kResultFalse) << "the entry closed with Return";
}

TEST(ViewInput, AKnobDragReachesTheHostAsOneGesture) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    ASSERT_EQ(host.attach(), kResultOk);
    host.pump(30);
    auto* controller = host.instance->controller();
    const auto sizeId = static_cast<Vst::ParamID>(host.instance->findParameter("Size"));
    const double before = controller->getParamNormalized(sizeId);
    host.instance->handlerLog().clear();

    host.press(px(49), px(476));  // Size knob centre
    for (int step = 1; step <= 4; ++step) host.moveTo(px(49), px(476) + 15 * step);
    host.release(px(49), px(476) + 60);

    const auto& events = host.instance->handlerLog().events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().kind, HandlerEvent::Begin);
    EXPECT_EQ(events.back().kind, HandlerEvent::End);
    double last = before;
    for (std::size_t i = 1; i + 1 < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, HandlerEvent::Perform);
        EXPECT_EQ(events[i].id, sizeId);
        EXPECT_LE(events[i].value, last) << "dragging down only lowers the value";
        last = events[i].value;
    }
    EXPECT_EQ(events.front().id, sizeId);
    EXPECT_LT(last, before);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(sizeId), last) << "the effect plays what the host was told";
}

TEST(ViewInput, HostAutomationMovesTheKnobItBelongsTo) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    auto* controller = host.instance->controller();
    const auto sizeId = static_cast<Vst::ParamID>(host.instance->findParameter("Size"));
    controller->setParamNormalized(sizeId, 0.0);
    ASSERT_EQ(host.attach(), kResultOk);
    host.pump(60);
    const x11host::RgbaImage low = host.capture();

    host.instance->handlerLog().clear();
    controller->setParamNormalized(sizeId, 1.0);  // as the host's automation does
    host.pump(60);
    const x11host::RgbaImage high = host.capture();
    ASSERT_EQ(low.width, high.width);

    // The Size knob (12, 430, 86, 522) redraws its arc; its neighbour Brightness does not.
    EXPECT_GT(difference(low, high, 12, 430, 86, 500), 2000);
    EXPECT_EQ(difference(low, high, 88, 430, 162, 522), 0);
    EXPECT_TRUE(host.instance->handlerLog().events().empty()) << "a host change is not echoed back as an edit";
}

TEST(ViewInput, TwoViewsOfOneInstanceFollowEachOthersKnobs) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent first;
    ASSERT_EQ(first.attach(), kResultOk);
    x11host::X11ParentWindow secondParent(912, 672);  // declared first: outlives its view
    host::HostEditor second(*first.instance->controller());
    ASSERT_EQ(second.attach(secondParent.id()), kResultOk);
    second.pump(std::chrono::milliseconds(60));
    const x11host::RgbaImage before = secondParent.capture(secondParent.children().front());

    first.press(px(49), px(476));  // drag the Size knob down in the first view
    first.moveTo(px(49), px(540));
    first.release(px(49), px(540));
    second.pump(std::chrono::milliseconds(60));
    const x11host::RgbaImage after = secondParent.capture(secondParent.children().front());
    ASSERT_EQ(before.width, after.width);
    EXPECT_GT(difference(before, after, 12, 430, 86, 500), 2000) << "the second view's Size knob did not follow";
    EXPECT_EQ(difference(before, after, 88, 430, 162, 522), 0);
    second.close();
}

}  // namespace
}  // namespace halcyra::test
