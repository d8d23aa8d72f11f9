// With the editor, graphics and X11 code linked in, the module must still show hosts
// nothing but its entry points (no NanoVG, Xlib helpers or C++ library symbols).
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "view/ViewFixture.h"

namespace halcyra::test {
namespace {

TEST(ModuleExports, OnlyTheFiveEntryPointsAreExported) {
    const std::string command = "nm -D --defined-only '" + sharedModule().libraryPath() + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> exported;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) exported.insert(name);
    }
    const int status = pclose(pipe);
    if (status != 0 && exported.empty()) GTEST_SKIP() << "nm is not available";
    const std::set<std::string> expected = {"ExitDll", "GetPluginFactory", "InitDll", "ModuleEntry", "ModuleExit"};
    EXPECT_EQ(exported, expected);
}

}  // namespace
}  // namespace halcyra::test
