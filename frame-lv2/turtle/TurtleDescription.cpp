#include "frame-lv2/turtle/TurtleDescription.h"

#include <charconv>
#include <sstream>
#include <string_view>

#include "frame-lv2/Lv2Layout.h"
#include "frame/Identity.h"
#include "presets/FactoryPresets.h"

namespace halcyra::lv2 {
namespace {

constexpr const char* kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string uri(std::string_view u) {
    std::string out = "<";
    out += u;
    return out += ">";
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Shortest text that reads back as the same number, always with a decimal point or
// exponent so Turtle takes it as a number of the right kind.
template <typename T>
std::string number(T value) {
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    std::string text(buf, end);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

const char* unitOf(std::string_view label) {
    if (label == "%") return "units:pc";
    if (label == "dB") return "units:db";
    if (label == "ms") return "units:ms";
    if (label == "s") return "units:s";
    return nullptr;
}

void writeParameterPort(std::ostream& out, int index) {
    const ParamInfo& p = paramInfo(index);
    out << "    [\n"
        << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << quoted(portSymbol(index)) << " ;\n"
        << "        lv2:name " << quoted(p.name) << " ;\n"
        << "        lv2:default " << number(p.defaultValue) << " ;\n"
        << "        lv2:minimum " << number(p.minimum) << " ;\n"
        << "        lv2:maximum " << number(p.maximum) << " ;\n";
    if (const char* unit = unitOf(p.label)) out << "        units:unit " << unit << " ;\n";
    if (isStepped(p)) {
        out << "        lv2:portProperty lv2:integer , lv2:enumeration ;\n";
        for (int k = 0; k < p.itemCount; ++k)
            out << "        lv2:scalePoint [ rdfs:label " << quoted(p.items[static_cast<std::size_t>(k)])
                << " ; rdf:value " << number(p.minimum + k) << " ] ;\n";
    }
    if (p.flags & kParamNotAutomatable) out << "        lv2:portProperty pprops:notAutomatic ;\n";
    out << "    ] ,\n";
}

void writeAudioPort(std::ostream& out, std::uint32_t index, const char* direction, const char* symbol,
                    const char* name) {
    out << "    [\n"
        << "        a lv2:" << direction << " , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name \"" << name << "\" ;\n"
        << "    ]";
}

void writePlugin(std::ostream& out, const char* pluginUri, const char* name, int inputs) {
    out << uri(pluginUri) << "\n"
        << "    a lv2:Plugin , lv2:ReverbPlugin , doap:Project ;\n"
        << "    doap:name " << quoted(name) << " ;\n"
        << "    doap:license <https://spdx.org/licenses/GPL-3.0-or-later> ;\n"
        << "    doap:maintainer [ foaf:name " << quoted(identity::kVendor) << " ; foaf:homepage "
        << uri(identity::kWebsiteUrl) << " ] ;\n"
        << "    lv2:minorVersion 0 ;\n"
        << "    lv2:microVersion 18 ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    ui:ui " << uri(kUiUri) << " ;\n"
        << "    lv2:port\n";
    for (int i = 0; i < kNumParams; ++i) writeParameterPort(out, i);
    out << "    [\n"
        << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << kEnabledPort << " ;\n"
        << "        lv2:symbol \"enabled\" ;\n"
        << "        lv2:name \"Enabled\" ;\n"
        << "        lv2:designation lv2:enabled ;\n"
        << "        lv2:portProperty lv2:toggled , lv2:integer ;\n"
        << "        lv2:default 1 ; lv2:minimum 0 ; lv2:maximum 1 ;\n"
        << "    ] , [\n"
        << "        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << kLatencyPort << " ;\n"
        << "        lv2:symbol \"latency\" ;\n"
        << "        lv2:name \"Latency\" ;\n"
        << "        lv2:designation lv2:latency ;\n"
        << "        lv2:portProperty lv2:reportsLatency , lv2:integer , pprops:notOnGUI ;\n"
        << "        units:unit units:frame ;\n"
        << "        lv2:default 0 ; lv2:minimum 0 ; lv2:maximum 0 ;\n"
        << "    ] , [\n"
        << "        a lv2:InputPort , atom:AtomPort ;\n"
        << "        lv2:index " << kEventsPort << " ;\n"
        << "        lv2:symbol \"host_events\" ;\n"
        << "        lv2:name \"Host Events\" ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports time:Position ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:portProperty lv2:connectionOptional ;\n"
        << "    ] ,\n";
    writeAudioPort(out, kOutLeftPort, "OutputPort", "out_l", "Output L");
    out << " ,\n";
    writeAudioPort(out, kOutRightPort, "OutputPort", "out_r", "Output R");
    if (inputs == 1) {
        out << " ,\n";
        writeAudioPort(out, kFirstInputPort, "InputPort", "in", "Input");
    } else {
        out << " ,\n";
        writeAudioPort(out, kFirstInputPort, "InputPort", "in_l", "Input L");
        out << " ,\n";
        writeAudioPort(out, kFirstInputPort + 1, "InputPort", "in_r", "Input R");
    }
    out << " .\n\n";
}

std::string presetUri(const FactoryPreset& preset) { return uri(kPresetUriPrefix + presetFragment(preset.name)); }

}  // namespace

std::string manifestTurtle() {
    std::ostringstream out;
    out << kPrefixes;
    for (const char* plugin : {kStereoUri, kMonoUri})
        out << uri(plugin) << "\n    a lv2:Plugin ;\n    lv2:binary <" << kBinaryName << "> ;\n    rdfs:seeAlso <"
            << kDescriptionFile << "> .\n\n";
    out << uri(kUiUri) << "\n    a ui:X11UI ;\n    ui:binary <" << kBinaryName << "> ;\n    rdfs:seeAlso <"
        << kDescriptionFile << "> .\n\n";
    for (const FactoryPreset& preset : kFactoryPresets)
        out << presetUri(preset) << "\n    a pset:Preset ;\n    lv2:appliesTo " << uri(kStereoUri) << " , "
            << uri(kMonoUri) << " ;\n    rdfs:seeAlso <" << kPresetsFile << "> .\n\n";
    return out.str();
}

std::string descriptionTurtle() {
    std::ostringstream out;
    out << kPrefixes;
    writePlugin(out, kStereoUri, "Halcyra", 2);
    writePlugin(out, kMonoUri, "Halcyra Mono", 1);
    // The editor reaches the plug-in object for the sky view's feed and the sky clicks,
    // so it needs instance access; hosts without it show no editor.
    out << uri(kUiUri) << "\n"
        << "    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:parent , <http://lv2plug.in/ns/ext/instance-access> ;\n"
        << "    lv2:optionalFeature ui:resize , ui:noUserResize , ui:idleInterface , ui:touch ;\n"
        << "    lv2:extensionData ui:idleInterface .\n";
    return out.str();
}

std::string presetsTurtle() {
    std::ostringstream out;
    out << kPrefixes;
    out << uri(kFactoryPresetKeyUri) << "\n    a rdf:Property ;\n    rdfs:label \"factory preset\" ;\n"
        << "    rdfs:comment \"Index of the factory preset that a state recalls.\" .\n\n";
    for (int k = 0; k < kNumFactoryPresets; ++k) {
        const FactoryPreset& p = kFactoryPresets[static_cast<std::size_t>(k)];
        out << presetUri(p) << "\n    a pset:Preset ;\n    lv2:appliesTo " << uri(kStereoUri) << " , "
            << uri(kMonoUri) << " ;\n    rdfs:label " << quoted(p.name) << " ;\n    lv2:port";
        bool first = true;
        for (const auto& [index, value] : factoryPresetPorts(k)) {
            out << (first ? " " : " , ") << "[\n        lv2:symbol " << quoted(portSymbol(index))
                << " ;\n        pset:value " << number(value) << "\n    ]";
            first = false;
        }
        out << " ;\n    state:state [\n        " << uri(kFactoryPresetKeyUri) << " " << k << "\n    ] .\n\n";
    }
    return out.str();
}

}  // namespace halcyra::lv2
