#include "PresetTestContext.h"

#include <algorithm>
#include <filesystem>

#include "plugin/Parameters.h"

namespace halcyra::test {

double RecordingParameterEditor::value(int index) const { return owner_.store.get(index); }

double RecordingParameterEditor::setFromPlugin(int index, double value) {
    calls.emplace_back(index, value);
    owner_.store.set(index, value);
    const double normalized = owner_.store.getNormalized(index);
    owner_.hostCalls.push_back("plugin " + std::to_string(index));
    if (owner_.graphics != nullptr) owner_.graphics->SetControlValueFromDelegate(index, normalized);
    return normalized;
}

void PresetTestContext::SetParameterFromUI(int paramIdx, double normalized) {
    store.setNormalized(paramIdx, normalized);
    hostCalls.push_back("set " + std::to_string(paramIdx));
}

double PresetTestContext::GetParamDefaultNormalized(int paramIdx) const {
    return toNormalized(paramIdx, paramInfo(paramIdx).defaultValue);
}

int PresetTestContext::takeSkyJumps() {
    int jumps = 0;
    queue.drain([&](const EditorCommand& c) { jumps += c.type == EditorCommandQueue::kSkyJump ? 1 : 0; });
    return jumps;
}

std::vector<std::string> PresetTestContext::presetFileNames() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(presetFolder, ec))
        if (entry.path().extension() == ".halcyrapreset") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace halcyra::test
