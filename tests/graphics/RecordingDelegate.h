// An editor delegate that records what the controls tell the host, for tests.
#pragma once

#include <string>
#include <vector>

#include "graphics/IEditorDelegate.h"

namespace halcyra::test {

class RecordingDelegate : public IEditorDelegate {
public:
    std::vector<std::string> calls;  // "begin 3", "set 3 0.5", "end 3"
    std::vector<double> values = std::vector<double>(20, 0.5);
    std::vector<double> defaults = std::vector<double>(20, 0.25);

    void BeginEdit(int p) override { calls.push_back("begin " + std::to_string(p)); }
    void SetParameterFromUI(int p, double v) override {
        values.at(static_cast<std::size_t>(p)) = v;
        calls.push_back("set " + std::to_string(p));
    }
    void EndEdit(int p) override { calls.push_back("end " + std::to_string(p)); }
    double GetParamNormalized(int p) const override { return values.at(static_cast<std::size_t>(p)); }
    double GetParamDefaultNormalized(int p) const override { return defaults.at(static_cast<std::size_t>(p)); }
};

}  // namespace halcyra::test
