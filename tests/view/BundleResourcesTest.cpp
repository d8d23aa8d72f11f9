// Finding the bundle's resources from the module's own path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "frame/BundleResources.h"

namespace halcyra::vst3 {
namespace {

namespace fs = std::filesystem;

class Bundle : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/halcyra-bundle-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        fs::create_directories(root / "Halcyra.vst3/Contents/x86_64-linux");
        fs::create_directories(root / "Halcyra.vst3/Contents/Resources");
        std::ofstream(module()) << "so";
        std::ofstream(root / "Halcyra.vst3/Contents/Resources/Halcyra-Manual.pdf") << "pdf";
        std::ofstream(root / "Halcyra.vst3/Contents/secret.txt") << "outside";
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path module() const { return root / "Halcyra.vst3/Contents/x86_64-linux/Halcyra.so"; }
    fs::path root;
};

TEST_F(Bundle, FindsFilesInResourcesBesideTheArchitectureFolder) {
    EXPECT_EQ(bundleResourcePath(module().string(), "Halcyra-Manual.pdf"),
              (root / "Halcyra.vst3/Contents/Resources/Halcyra-Manual.pdf").string());
    EXPECT_EQ(bundleResourcePath(module().string(), "Missing.pdf"), "");
    EXPECT_EQ(bundleResourcePath("", "Halcyra-Manual.pdf"), "");
}

TEST_F(Bundle, NamesCannotLeaveTheResourcesFolder) {
    EXPECT_EQ(bundleResourcePath(module().string(), "../secret.txt"), "");
    EXPECT_EQ(bundleResourcePath(module().string(), ".."), "");
    EXPECT_EQ(bundleResourcePath(module().string(), ""), "");
    EXPECT_EQ(bundleResourcePath(module().string(), "/etc/passwd"), "");
}

TEST_F(Bundle, ASymlinkedModuleResolvesToTheRealBundle) {
    // Hosts often see the bundle through a link in ~/.vst3.
    fs::create_directories(root / "link/x86_64-linux");
    fs::create_symlink(module(), root / "link/x86_64-linux/Halcyra.so");
    EXPECT_EQ(bundleResourcePath((root / "link/x86_64-linux/Halcyra.so").string(), "Halcyra-Manual.pdf"),
              (root / "Halcyra.vst3/Contents/Resources/Halcyra-Manual.pdf").string());
}

}  // namespace
}  // namespace halcyra::vst3
