#include "tools/x11host/PngFile.h"

#include <cstdio>

#include "tools/host/HostError.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace halcyra::x11host {

void writePng(const RgbaImage& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4)
        throw host::HostError("no picture to write to '" + path + "'");
    const std::string temp = path + ".partial";
    if (stbi_write_png(temp.c_str(), image.width, image.height, 4, image.pixels.data(), image.width * 4) == 0) {
        std::remove(temp.c_str());
        throw host::HostError("cannot write '" + path + "'");
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw host::HostError("cannot write '" + path + "'");
    }
}

}  // namespace halcyra::x11host
