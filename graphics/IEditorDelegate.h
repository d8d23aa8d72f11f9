// How controls change host parameters: the frame implements this to tell the host
// about a gesture (begin / value / end) and to answer current and default values.
// Values are normalised 0..1 throughout.
#pragma once

namespace halcyra {

class IEditorDelegate {
public:
    virtual ~IEditorDelegate() = default;
    virtual void BeginEdit(int paramIdx) = 0;
    virtual void SetParameterFromUI(int paramIdx, double normalized) = 0;
    virtual void EndEdit(int paramIdx) = 0;
    virtual double GetParamNormalized(int paramIdx) const = 0;
    virtual double GetParamDefaultNormalized(int paramIdx) const = 0;
};

}  // namespace halcyra
