#include "FakeEditorContext.h"

#include <cstdio>

#include "plugin/Parameters.h"

namespace halcyra::test {

double RecordingParameterEditor::value(int index) const { return owner_.store.get(index); }

double RecordingParameterEditor::setFromPlugin(int index, double value) {
    owner_.store.set(index, value);
    changed.push_back(index);
    const double normalized = owner_.store.getNormalized(index);
    if (owner_.graphics != nullptr) owner_.graphics->SetControlValueFromDelegate(index, normalized);
    return normalized;
}

void FakeEditorContext::SetParameterFromUI(int paramIdx, double normalized) {
    store.setNormalized(paramIdx, normalized);
    char buf[64];
    std::snprintf(buf, sizeof buf, "set %d %g", paramIdx, normalized);
    hostCalls.emplace_back(buf);
}

double FakeEditorContext::GetParamDefaultNormalized(int paramIdx) const {
    return toNormalized(paramIdx, paramInfo(paramIdx).defaultValue);
}

std::vector<EditorCommand> FakeEditorContext::takeCommands() {
    std::vector<EditorCommand> out;
    queue.drain([&out](const EditorCommand& c) { out.push_back(c); });
    return out;
}

}  // namespace halcyra::test
