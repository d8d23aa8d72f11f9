#include "frame/BundleResources.h"

#include <dlfcn.h>

#include <filesystem>

namespace halcyra::vst3 {

namespace fs = std::filesystem;

std::string bundleResourcePath(const std::string& modulePath, const std::string& name) {
    // Resource names are plain file names; anything with a separator or a dot-dot
    // could reach outside the bundle.
    if (modulePath.empty() || name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return {};
    std::error_code ec;
    const fs::path module = fs::weakly_canonical(fs::path(modulePath), ec);
    if (ec || !module.has_parent_path()) return {};
    const fs::path candidate = module.parent_path().parent_path() / "Resources" / name;
    return fs::is_regular_file(candidate, ec) ? candidate.string() : std::string();
}

std::string ownBundleResourcePath(const std::string& name) {
    Dl_info info{};
    // Any address inside this module names the module's file.
    if (dladdr(reinterpret_cast<const void*>(&ownBundleResourcePath), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return bundleResourcePath(info.dli_fname, name);
}

}  // namespace halcyra::vst3
