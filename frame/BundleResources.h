// Where the bundle keeps its resources: Halcyra.vst3/Contents/Resources, found from
// the path of the loaded module (Contents/x86_64-linux/Halcyra.so), so the editor
// can open the packaged manual wherever the host installed the bundle.
#pragma once

#include <string>

namespace halcyra::vst3 {

// Path of `name` in the resources folder beside the module's architecture folder;
// empty when the file is missing or the name would leave that folder.
std::string bundleResourcePath(const std::string& modulePath, const std::string& name);

// The same, for the module this code is running in.
std::string ownBundleResourcePath(const std::string& name);

}  // namespace halcyra::vst3
