// A loaded VST3 module: the shared object inside a ".vst3" bundle, entered through
// ModuleEntry and asked for its factory. Instances made from it must be released
// before it goes.
#pragma once

#include <string>

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/base/smartpointer.h"

namespace halcyra::host {

struct ClassDescription {
    Steinberg::TUID cid{};
    std::string name;
    std::string category;
};

class Vst3Module {
public:
    // bundlePath: "X.vst3" folder (its Contents/x86_64-linux/X.so is loaded) or a .so.
    // Throws HostError with a one-line reason.
    explicit Vst3Module(const std::string& bundlePath);
    ~Vst3Module();
    Vst3Module(const Vst3Module&) = delete;
    Vst3Module& operator=(const Vst3Module&) = delete;

    Steinberg::IPluginFactory* factory() const { return factory_.get(); }
    void* symbol(const char* name) const;
    const std::string& libraryPath() const { return libraryPath_; }

    // The first class of category "Audio Module Class"; throws HostError when none.
    ClassDescription findAudioEffect() const;

    static std::string libraryInBundle(const std::string& bundlePath);

private:
    void unload();

    void* handle_ = nullptr;
    bool entered_ = false;
    std::string libraryPath_;
    Steinberg::IPtr<Steinberg::IPluginFactory> factory_;
};

}  // namespace halcyra::host
