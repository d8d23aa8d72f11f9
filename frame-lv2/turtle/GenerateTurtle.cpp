// Build step: writes manifest.ttl, Halcyra.ttl and presets.ttl into the bundle
// folder given as the only argument.
#include <cstdio>
#include <fstream>
#include <string>

#include "frame-lv2/Lv2Layout.h"
#include "frame-lv2/turtle/TurtleDescription.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) std::fprintf(stderr, "halcyra-lv2-turtle: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: halcyra-lv2-turtle BUNDLE_DIR\n");
        return 2;
    }
    using namespace halcyra::lv2;
    const std::string dir = argv[1];
    const bool ok = writeFile(dir + "/manifest.ttl", manifestTurtle()) &&
                    writeFile(dir + "/" + kDescriptionFile, descriptionTurtle()) &&
                    writeFile(dir + "/" + kPresetsFile, presetsTurtle());
    return ok ? 0 : 1;
}
