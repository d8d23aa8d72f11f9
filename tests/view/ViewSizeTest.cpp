// The editor keeps its own size: the host cannot resize it, the corner resizer and the
// host's content scale can, always uniformly and within 253…2280 × 186…1680 pixels,
// and the native window follows only once the host has agreed (onSize).
#include <cmath>

#include "view/ViewFixture.h"

namespace halcyra::test {
namespace {

using namespace Steinberg;

void expectWithinLimitsAndUniform(const ViewRect& r) {
    EXPECT_GE(r.getWidth(), 253);
    EXPECT_LE(r.getWidth(), 2280);
    EXPECT_GE(r.getHeight(), 186);
    EXPECT_LE(r.getHeight(), 1680);
    EXPECT_NEAR(static_cast<double>(r.getWidth()) / r.getHeight(), 760.0 / 560.0, 0.01);
}

// The editor resizes its window on its own X connection: the server may take a moment
// before our connection sees the new size.
void expectWindowSize(EditorInParent& host, int width, int height) {
    int w = 0, h = 0;
    for (int tries = 0; tries < 50; ++tries) {
        ASSERT_TRUE(host.parent->windowSize(host.editorWindow(), w, h));
        if (w == width && h == height) break;
        host.pump(10);
    }
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
}

TEST(ViewSize, StartsAt912x672AndIgnoresHostResizes) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    EXPECT_EQ(host.editor->size().getWidth(), 912);  // before attaching, too
    EXPECT_EQ(host.editor->size().getHeight(), 672);
    IPlugView* view = host.editor->view();
    EXPECT_EQ(view->canResize(), kResultFalse);

    ViewRect other(0, 0, 1000, 800);
    view->onSize(&other);  // some hosts size the view before attaching it
    ASSERT_EQ(host.attach(), kResultOk);
    host.pump(30);
    EXPECT_EQ(host.editor->size().getWidth(), 912);
    EXPECT_EQ(host.editor->size().getHeight(), 672);

    ViewRect larger(0, 0, 1200, 700);
    EXPECT_NE(view->onSize(&larger), kResultTrue);
    EXPECT_EQ(host.editor->size().getWidth(), 912);
    EXPECT_EQ(host.editor->size().getHeight(), 672);
    expectWindowSize(host, 912, 672);

    ViewRect wanted(10, 20, 1500, 900);
    EXPECT_EQ(view->checkSizeConstraint(&wanted), kResultTrue);
    EXPECT_EQ(wanted.left, 10);
    EXPECT_EQ(wanted.getWidth(), 912);
    EXPECT_EQ(wanted.getHeight(), 672);
    EXPECT_TRUE(host.editor->frame().resizeRequests().empty()) << "the editor never asked for another size";
}

TEST(ViewSize, CornerResizerDragAsksTheHostForSizesWithinTheLimits) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    ASSERT_EQ(host.attach(), kResultOk);
    host.pump(30);

    host.press(905, 665);  // inside the 20-unit corner resizer
    host.moveTo(1005, 740);
    host.moveTo(1105, 815);
    host.release(1105, 815);
    const auto& requests = host.editor->frame().resizeRequests();
    ASSERT_FALSE(requests.empty());
    for (const ViewRect& r : requests) expectWithinLimitsAndUniform(r);
    const ViewRect last = requests.back();
    EXPECT_GT(last.getWidth(), 1000);
    EXPECT_EQ(host.editor->size().getWidth(), last.getWidth());
    EXPECT_EQ(host.editor->size().getHeight(), last.getHeight());
    expectWindowSize(host, last.getWidth(), last.getHeight());

    // Dragged far inward: stops at the smallest size.
    host.press(last.getWidth() - 7, last.getHeight() - 7);
    host.moveTo(5, 5);
    host.release(5, 5);
    const ViewRect smallest = host.editor->frame().resizeRequests().back();
    expectWithinLimitsAndUniform(smallest);
    EXPECT_LE(smallest.getWidth(), 260);
    expectWindowSize(host, smallest.getWidth(), smallest.getHeight());
}

TEST(ViewSize, AHostThatRefusesTheResizeKeepsTheWindowAndTheCanvasAsTheyWere) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    ASSERT_EQ(host.attach(), kResultOk);
    host.pump(30);
    host.editor->frame().setAcceptResizes(false);
    host.press(905, 665);
    host.moveTo(1005, 740);
    host.release(1005, 740);
    EXPECT_FALSE(host.editor->frame().resizeRequests().empty());
    EXPECT_EQ(host.editor->size().getWidth(), 912);
    expectWindowSize(host, 912, 672);

    // Accepting again: the next drag starts from the unchanged canvas.
    host.editor->frame().setAcceptResizes(true);
    host.press(905, 665);
    host.moveTo(1005, 740);
    host.release(1005, 740);
    EXPECT_GT(host.editor->size().getWidth(), 912);
}

TEST(ViewSize, ContentScaleMultipliesTheEditorsOwnZoomAndIsClampedToTheLimits) {
    HALCYRA_REQUIRE_DISPLAY();
    EditorInParent host;
    ASSERT_TRUE(host.editor->setContentScale(2.0f));  // before attaching: only remembered
    EXPECT_EQ(host.editor->size().getWidth(), 1824);
    EXPECT_EQ(host.editor->size().getHeight(), 1344);
    ASSERT_TRUE(host.editor->setContentScale(1.0f));
    ASSERT_EQ(host.attach(), kResultOk);
    host.pump(30);

    ASSERT_TRUE(host.editor->setContentScale(2.0f));
    ASSERT_FALSE(host.editor->frame().resizeRequests().empty());
    EXPECT_EQ(host.editor->frame().resizeRequests().back().getWidth(), 1824);
    expectWindowSize(host, 1824, 1344);

    ASSERT_TRUE(host.editor->setContentScale(3.0f));  // 3.6 × the canvas would exceed the limits
    EXPECT_EQ(host.editor->size().getWidth(), 2280);
    EXPECT_EQ(host.editor->size().getHeight(), 1680);

    ASSERT_TRUE(host.editor->setContentScale(1.0f));  // the editor's own 1.2 survives the clamp
    EXPECT_EQ(host.editor->size().getWidth(), 912);
    expectWindowSize(host, 912, 672);
    for (const ViewRect& r : host.editor->frame().resizeRequests()) expectWithinLimitsAndUniform(r);

    EXPECT_FALSE(host.editor->setContentScale(0.0f));
    EXPECT_FALSE(host.editor->setContentScale(std::nanf("")));
}

}  // namespace
}  // namespace halcyra::test
