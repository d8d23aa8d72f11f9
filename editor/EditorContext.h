// What the editor sees of the plug-in: parameter values, the "as the plug-in" edit
// path (host and editor are told), the data shared with the audio thread, the preset
// store and the A/B compare state. The frame implements it; tests use a fake.
#pragma once

#include <string>

namespace halcyra {

class AbCompareState;
class EditorCommandQueue;
class ParameterEditor;
class PresetStore;
class SkyFeedReader;

class EditorContext {
public:
    virtual ~EditorContext() = default;

    // Current value of a parameter in its own units.
    virtual double paramValue(int index) const = 0;
    // Changes parameters as the plug-in (preset recall, user presets, A/B).
    virtual ParameterEditor& parameterEditor() = 0;

    // Newest SkyFeed snapshot (one reader at a time; lives with the plug-in).
    virtual SkyFeedReader& skyFeedReader() = 0;
    // Sample rate the audio side is prepared for; 0 when unknown.
    virtual double sampleRate() const = 0;
    // Star requests and sky jumps for the audio thread.
    virtual EditorCommandQueue& commandQueue() = 0;

    virtual PresetStore& presetStore() = 0;
    virtual AbCompareState& abCompare() = 0;

    // Path of a file in the bundle's resources ("Halcyra-Manual.pdf"); empty when missing.
    virtual std::string resourcePath(const std::string& name) const = 0;
    // Opens a URL or a document with the system's default handler, without blocking.
    virtual void openWithSystem(const std::string& urlOrPath) = 0;
};

}  // namespace halcyra
