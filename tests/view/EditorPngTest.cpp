// halcyra-render --editor-png: the real tool opens the editor beside a render and
// writes a picture of it. The sky must be the one the audio side feeds: with Events
// on Star and nobody clicking, the engine lights no star, while an editor left unfed
// would show its idle sky, which flashes every 0.1 s.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb_image.h>

#include "tools/x11host/VirtualDisplay.h"

namespace halcyra::test {
namespace {

namespace fs = std::filesystem;

TEST(EditorPng, RenderWritesAPictureOfTheEditorFedByTheAudioSide) {
    const char* display = std::getenv("DISPLAY");
    if ((display == nullptr || *display == '\0') && !x11host::VirtualDisplay::xvfbInstalled())
        GTEST_SKIP() << "no X display and no Xvfb installed";
    const fs::path dir = fs::path(HALCYRA_TEST_TMP) / "editor-png";
    fs::create_directories(dir);
    const fs::path png = dir / "editor.png";
    const fs::path wav = dir / "out.wav";
    fs::remove(png);
    const std::string command = std::string(HALCYRA_RENDER_PATH) + " --editor-png '" + png.string() +
                                "' --set Level=0.8 --set Rate=0.7 --set Events=Star --tail 0 demo '" + wav.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    ASSERT_TRUE(fs::exists(wav)) << "the audio is rendered as before";

    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(png.string().c_str(), &w, &h, &channels, 3);
    ASSERT_NE(pixels, nullptr) << "not a readable PNG";
    EXPECT_EQ(w, 912);
    EXPECT_EQ(h, 672);
    // The sky band (y 44…388 of the 560-unit canvas): brightness must vary across it.
    double sum = 0.0, sumSquares = 0.0;
    int n = 0, nearWhite = 0;
    for (int y = 60; y < 460; y += 2) {
        for (int x = 0; x < w; x += 2) {
            const unsigned char* p = pixels + 3 * (y * w + x);
            const double luma = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
            sum += luma;
            sumSquares += luma * luma;
            ++n;
            // Only a star flash's hot core gets this bright: clouds, the horizon glow
            // and the folded-out panel's texts stay below it.
            if (luma > 220.0) ++nearWhite;
        }
    }
    stbi_image_free(pixels);
    const double mean = sum / n;
    const double deviation = std::sqrt(std::max(0.0, sumSquares / n - mean * mean));
    EXPECT_GT(mean, 20.0) << "the sky is not drawn";
    EXPECT_GT(deviation, 5.0) << "the sky is a uniform fill: no clouds";
    EXPECT_EQ(nearWhite, 0) << "star flashes without a click in Star mode: the idle sky, not the fed one";
}

}  // namespace
}  // namespace halcyra::test
