// halcyra-render: renders audio through the Halcyra VST3 module, offline.
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "tools/host/HostError.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/RenderSession.h"

namespace {

std::string executableDir(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path().string();
    return std::filesystem::absolute(argv0, ec).parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto options = halcyra::render::parseRenderOptions(argc, argv);
        if (options.help) {
            std::cout << halcyra::render::renderUsage();
            return 0;
        }
        if (options.listParameters) {
            halcyra::render::printParameters(options, executableDir(argv[0]), std::cout);
            return 0;
        }
        const auto summary =
            halcyra::render::runRender(options, executableDir(argv[0]), std::cerr, isatty(STDERR_FILENO) != 0);
        std::cout << "halcyra-render: " << halcyra::render::describe(summary) << '\n';
        return summary.nonFinite ? 3 : 0;
    } catch (const halcyra::host::HostError& e) {
        std::cerr << "halcyra-render: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "halcyra-render: " << e.what() << '\n';
        return 1;
    }
}
