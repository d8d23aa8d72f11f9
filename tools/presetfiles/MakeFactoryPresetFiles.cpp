// halcyra-make-preset-files OUTDIR: writes the eight factory presets as ".vstpreset"
// files that hosts list in their own preset browsers. Each holds the component state
// a fresh instance would save after recalling that preset (Mix included, whatever
// Mix Lock says, since a host loading the file replaces the whole state).
#include <filesystem>
#include <fstream>
#include <iostream>

#include "dsp/stars/EditorCommandQueue.h"
#include "frame/Identity.h"
#include "plugin/ParameterEditor.h"
#include "plugin/ParameterStore.h"
#include "plugin/StateRecord.h"
#include "presets/FactoryPresets.h"
#include "tools/host/PresetFileChunk.h"

namespace {

using namespace halcyra;

class StoreEditor : public ParameterEditor {
public:
    explicit StoreEditor(ParameterStore& store) : store_(store) {}
    double value(int index) const override { return store_.get(index); }
    double setFromPlugin(int index, double value) override { return toNormalized(index, store_.set(index, value)); }

private:
    ParameterStore& store_;
};

std::vector<std::uint8_t> presetState(int index) {
    ParameterStore store;
    StoreEditor editor(store);
    EditorCommandQueue queue;
    store.set(kMixLock, 0.0);  // let the recall write the preset's Mix
    recallFactoryPreset(index, editor, queue);
    store.set(kMixLock, paramInfo(kMixLock).defaultValue);
    const auto state = encodeState(store, false);
    return std::vector<std::uint8_t>(state.begin(), state.end());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: halcyra-make-preset-files OUTDIR\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    Steinberg::TUID cid;
    const auto& w = identity::kClassIdWords;
    Steinberg::FUID(w[0], w[1], w[2], w[3]).toTUID(cid);
    for (int i = 0; i < kNumFactoryPresets; ++i) {
        const std::vector<std::uint8_t> file = host::makePresetFile(cid, presetState(i));
        const std::filesystem::path path = dir / (std::string(kFactoryPresets[static_cast<std::size_t>(i)].name) + ".vstpreset");
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        if (file.empty() || !out.flush()) {
            std::cerr << "halcyra-make-preset-files: cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
