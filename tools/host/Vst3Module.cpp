#include "tools/host/Vst3Module.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "tools/host/HostError.h"

namespace halcyra::host {

using namespace Steinberg;

std::string Vst3Module::libraryInBundle(const std::string& bundlePath) {
    namespace fs = std::filesystem;
    const fs::path bundle(bundlePath);
    std::error_code ec;
    if (fs::is_regular_file(bundle, ec)) return bundle.string();
    fs::path stemSource = bundle;
    if (!stemSource.has_filename()) stemSource = stemSource.parent_path();  // "X.vst3/"
    return (bundle / "Contents" / "x86_64-linux" / (stemSource.stem().string() + ".so")).string();
}

Vst3Module::Vst3Module(const std::string& bundlePath) : libraryPath_(libraryInBundle(bundlePath)) {
    std::error_code ec;
    if (!std::filesystem::exists(libraryPath_, ec)) throw HostError("no module at " + libraryPath_);
    handle_ = dlopen(libraryPath_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        throw HostError("cannot load " + libraryPath_ + ": " + (why ? why : "unknown error"));
    }
    using EntryFn = bool (*)(void*);
    if (auto entry = reinterpret_cast<EntryFn>(dlsym(handle_, "ModuleEntry"))) {
        if (!entry(handle_)) {
            dlclose(handle_);
            throw HostError("module " + libraryPath_ + " refused to start (ModuleEntry)");
        }
        entered_ = true;
    }
    using FactoryFn = IPluginFactory* (*)();
    auto getFactory = reinterpret_cast<FactoryFn>(dlsym(handle_, "GetPluginFactory"));
    IPluginFactory* factory = getFactory ? getFactory() : nullptr;
    if (!factory) {
        unload();
        throw HostError("module " + libraryPath_ + " has no plug-in factory");
    }
    factory_ = owned(factory);
}

Vst3Module::~Vst3Module() { unload(); }

void Vst3Module::unload() {
    factory_ = nullptr;
    if (handle_) {
        if (entered_) {
            using ExitFn = bool (*)();
            if (auto exitFn = reinterpret_cast<ExitFn>(dlsym(handle_, "ModuleExit"))) exitFn();
        }
        dlclose(handle_);
        handle_ = nullptr;
    }
}

void* Vst3Module::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

ClassDescription Vst3Module::findAudioEffect() const {
    const int32 count = factory_->countClasses();
    for (int32 i = 0; i < count; ++i) {
        PClassInfo info{};
        if (factory_->getClassInfo(i, &info) != kResultOk) continue;
        if (std::strncmp(info.category, kVstAudioEffectClass, PClassInfo::kCategorySize) != 0) continue;
        ClassDescription d;
        std::memcpy(d.cid, info.cid, sizeof(TUID));
        d.name.assign(info.name, strnlen(info.name, PClassInfo::kNameSize));
        d.category.assign(info.category, strnlen(info.category, PClassInfo::kCategorySize));
        return d;
    }
    throw HostError("module " + libraryPath_ + " has no audio-effect class");
}

}  // namespace halcyra::host
