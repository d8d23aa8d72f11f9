// Writes an RGBA picture as PNG, under a temporary name first so that a failed write
// leaves no half file behind.
#pragma once

#include <string>

#include "tools/x11host/X11ParentWindow.h"

namespace halcyra::x11host {

// Throws host::HostError naming the file when it cannot be written.
void writePng(const RgbaImage& image, const std::string& path);

}  // namespace halcyra::x11host
