// Builds the whole editor on a fresh graphics context: every control with its
// rectangle, colours, font, parameter and tag, and the callbacks between them.
#pragma once

namespace halcyra {

class EditorContext;
class IGraphics;

void BuildEditorLayout(IGraphics& g, EditorContext& ctx);

}  // namespace halcyra
