// Halcyra.lv2 through lilv, the library LV2 hosts are built on: what hosts read from
// the Turtle files, what they hear, and what they save and restore.
#include <gtest/gtest.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "lv2/Lv2Host.h"
#include "plugin/HalcyraPlugin.h"
#include "plugin/ParameterEditor.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"

namespace fs = std::filesystem;
using namespace halcyra;
using namespace halcyra::lv2test;

namespace {

constexpr const char* kStereo = "https://tavimoro.com/halcyra/lv2/stereo";
constexpr const char* kMono = "https://tavimoro.com/halcyra/lv2/mono";
constexpr double kRate = 48000.0;

std::string symbolOf(int index) {
    std::string s(paramInfo(index).name);
    for (char& c : s) c = c == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Plucks and noise bursts with different material on each side.
StereoBuffer testSignal(double seconds) {
    StereoBuffer s;
    const auto n = static_cast<std::size_t>(seconds * kRate);
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i % 12000) / kRate;
        const double env = std::exp(-t * 18.0);
        noise = noise * 1664525u + 1013904223u;
        const double white = static_cast<double>(noise >> 8) / double(1 << 24) - 0.5;
        s.left.push_back(static_cast<float>(env * (0.6 * std::sin(2 * M_PI * 330.0 * i / kRate) + 0.3 * white)));
        s.right.push_back(static_cast<float>(env * 0.5 * std::sin(2 * M_PI * 495.0 * i / kRate)));
    }
    return s;
}

float maxDifference(const StereoBuffer& a, const StereoBuffer& b) {
    EXPECT_EQ(a.frames(), b.frames());
    float worst = 0.0f;
    for (std::size_t i = 0; i < std::min(a.frames(), b.frames()); ++i)
        worst = std::max({worst, std::fabs(a.left[i] - b.left[i]), std::fabs(a.right[i] - b.right[i])});
    return worst;
}

int runCommand(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class Lv2Bundle : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(HALCYRA_TEST_TMP) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    Lv2World world_;
    UridMap map_;
    fs::path dir_;
};

TEST_F(Lv2Bundle, BothVariantsDescribeEveryParameterAsTheTable) {
    LilvNode* notAutomatic = world_.uri("http://lv2plug.in/ns/ext/port-props#notAutomatic");
    LilvNode* enumeration = world_.uri(LV2_CORE__enumeration);
    LilvNode* enabled = world_.uri(LV2_CORE__enabled);
    LilvNode* inputPort = world_.uri(LILV_URI_INPUT_PORT);
    LilvNode* audioPort = world_.uri(LILV_URI_AUDIO_PORT);
    LilvNode* outputPort = world_.uri(LILV_URI_OUTPUT_PORT);
    for (const auto& [uri, inputs] : {std::pair{kStereo, 2u}, std::pair{kMono, 1u}}) {
        SCOPED_TRACE(uri);
        const LilvPlugin* plugin = world_.plugin(uri);
        ASSERT_NE(plugin, nullptr);
        EXPECT_TRUE(lilv_plugin_verify(plugin));
        EXPECT_EQ(lilv_plugin_get_num_ports_of_class(plugin, audioPort, inputPort, nullptr), inputs);
        EXPECT_EQ(lilv_plugin_get_num_ports_of_class(plugin, audioPort, outputPort, nullptr), 2u);
        EXPECT_TRUE(lilv_plugin_has_latency(plugin));
        EXPECT_NE(lilv_plugin_get_port_by_designation(plugin, inputPort, enabled), nullptr);
        std::set<std::string> symbols;  // hosts address ports by symbol: one each
        for (std::uint32_t i = 0; i < lilv_plugin_get_num_ports(plugin); ++i)
            symbols.insert(lilv_node_as_string(lilv_port_get_symbol(plugin, lilv_plugin_get_port_by_index(plugin, i))));
        EXPECT_EQ(symbols.size(), lilv_plugin_get_num_ports(plugin));
        for (int i = 0; i < kNumParams; ++i) {
            const ParamInfo& p = paramInfo(i);
            SCOPED_TRACE(std::string(p.name));
            LilvNode* symbol = lilv_new_string(world_.world(), symbolOf(i).c_str());
            const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, symbol);
            lilv_node_free(symbol);
            ASSERT_NE(port, nullptr);
            LilvNode* name = lilv_port_get_name(plugin, port);
            EXPECT_EQ(lilv_node_as_string(name), p.name);
            lilv_node_free(name);
            LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
            lilv_port_get_range(plugin, port, &def, &min, &max);
            EXPECT_FLOAT_EQ(lilv_node_as_float(def), static_cast<float>(p.defaultValue));
            EXPECT_FLOAT_EQ(lilv_node_as_float(min), static_cast<float>(p.minimum));
            EXPECT_FLOAT_EQ(lilv_node_as_float(max), static_cast<float>(p.maximum));
            lilv_node_free(def);
            lilv_node_free(min);
            lilv_node_free(max);
            EXPECT_EQ(lilv_port_has_property(plugin, port, notAutomatic), (p.flags & kParamNotAutomatable) != 0);
            EXPECT_EQ(lilv_port_has_property(plugin, port, enumeration), isStepped(p));
            std::map<int, std::string> items;
            LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
            LILV_FOREACH (scale_points, it, points) {
                const LilvScalePoint* sp = lilv_scale_points_get(points, it);
                items[static_cast<int>(lilv_node_as_float(lilv_scale_point_get_value(sp)))] =
                    lilv_node_as_string(lilv_scale_point_get_label(sp));
            }
            lilv_scale_points_free(points);
            ASSERT_EQ(static_cast<int>(items.size()), p.itemCount);
            for (int k = 0; k < p.itemCount; ++k) EXPECT_EQ(items[k], p.items[static_cast<std::size_t>(k)]);
        }
    }
    for (LilvNode* n : {notAutomatic, enumeration, enabled, inputPort, audioPort, outputPort}) lilv_node_free(n);
}

TEST_F(Lv2Bundle, ListsTheFactoryPresetsAndTheyRecallTheirValues) {
    const LilvPlugin* plugin = world_.plugin(kMono);
    ASSERT_NE(plugin, nullptr);
    LilvNode* presetClass = world_.uri(LV2_PRESETS__Preset);
    LilvNode* label = world_.uri(LILV_NS_RDFS "label");
    LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
    std::set<std::string> names;
    LilvNode* storm = nullptr;
    LILV_FOREACH (nodes, it, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, it);
        lilv_world_load_resource(world_.world(), preset);
        LilvNode* name = lilv_world_get(world_.world(), preset, label, nullptr);
        ASSERT_NE(name, nullptr);
        names.insert(lilv_node_as_string(name));
        if (std::string(lilv_node_as_string(name)) == "Storm") storm = lilv_node_duplicate(preset);
        lilv_node_free(name);
    }
    std::set<std::string> expected;
    for (const FactoryPreset& p : kFactoryPresets) expected.insert(std::string(p.name));
    EXPECT_EQ(names, expected);
    ASSERT_NE(storm, nullptr);

    // A host's preset menu: the values land in the ports; "Mix" keeps its value, as
    // a recall does while "Mix Lock" is on.
    Lv2Instance instance(world_, plugin, map_, kRate);
    ASSERT_TRUE(instance.ok());
    instance.control("mix") = 55.0f;
    LilvState* state = lilv_state_new_from_world(world_.world(), map_.map(), storm);
    ASSERT_NE(state, nullptr);
    lilv_state_restore(state, instance.get(), &Lv2Instance::setValue, &instance, 0, nullptr);
    const FactoryPreset& p = kFactoryPresets[static_cast<std::size_t>(findFactoryPreset("Storm"))];
    EXPECT_EQ(instance.control("preset"), static_cast<float>(findFactoryPreset("Storm")));
    EXPECT_EQ(instance.control("size"), p.size);
    EXPECT_EQ(instance.control("response"), p.response);
    EXPECT_EQ(instance.control("mix"), 55.0f);
    lilv_state_free(state);
    lilv_node_free(storm);
    lilv_nodes_free(presets);
    lilv_node_free(label);
    lilv_node_free(presetClass);
}

// The plug-in object itself, fed as the LV2 instance feeds it, with the editor's
// view of its parameters for a preset recall.
class DirectPlugin : public ParameterEditor {
public:
    DirectPlugin() { plugin.reset(kRate); }
    double value(int index) const override { return plugin.parameters().get(index); }
    double setFromPlugin(int index, double value) override {
        plugin.parameters().set(index, value);
        return plugin.parameters().getNormalized(index);
    }
    StereoBuffer process(const StereoBuffer& in, int block) {
        StereoBuffer out;
        for (std::size_t at = 0; at < in.frames(); at += static_cast<std::size_t>(block)) {
            const std::size_t n = std::min(in.frames() - at, static_cast<std::size_t>(block));
            std::vector<double> l(&in.left[at], &in.left[at] + n), r(&in.right[at], &in.right[at] + n), ol(n), orr(n);
            const double* inputs[] = {l.data(), r.data()};
            double* outputs[] = {ol.data(), orr.data()};
            BlockIO io;
            io.inputs = inputs;
            io.outputs = outputs;
            io.numInputs = io.numOutputs = 2;
            io.numFrames = static_cast<int>(n);
            io.sampleRate = kRate;
            plugin.processBlock(io);
            for (std::size_t i = 0; i < n; ++i) {
                out.left.push_back(static_cast<float>(ol[i]));
                out.right.push_back(static_cast<float>(orr[i]));
            }
        }
        return out;
    }
    HalcyraPlugin plugin;
};

TEST_F(Lv2Bundle, AHostPresetMakesTheSkyJumpAsARecallInTheEditorDoesButASessionRestoreDoesNot) {
    const StereoBuffer before = testSignal(0.25);
    const StereoBuffer after = testSignal(1.0);
    constexpr int kBlock = 256;
    const int storm = findFactoryPreset("Storm");
    LilvNode* uri = world_.uri("https://tavimoro.com/halcyra/lv2/presets#storm");
    lilv_world_load_resource(world_.world(), uri);
    LilvState* preset = lilv_state_new_from_world(world_.world(), map_.map(), uri);
    lilv_node_free(uri);
    ASSERT_NE(preset, nullptr);
    const LilvPlugin* plugin = world_.plugin(kStereo);

    DirectPlugin editor;
    editor.process(before, kBlock);
    ASSERT_TRUE(recallFactoryPreset(storm, editor, editor.plugin.commandQueue()));
    const StereoBuffer recalled = editor.process(after, kBlock);

    // The host's preset menu: the preset's state, then its port values.
    Lv2Instance host(world_, plugin, map_, kRate);
    host.process(before, kBlock);
    lilv_state_restore(preset, host.get(), &Lv2Instance::setValue, &host, 0, nullptr);
    EXPECT_LE(maxDifference(host.process(after, kBlock), recalled), 1e-6f);

    // The same values as plain port changes: the sky glides, and that sounds different.
    Lv2Instance ports(world_, plugin, map_, kRate);
    ports.process(before, kBlock);
    lilv_state_emit_port_values(preset, &Lv2Instance::setValue, &ports);
    const StereoBuffer glided = ports.process(after, kBlock);
    EXPECT_GT(maxDifference(glided, recalled), 1e-3f);

    // A session holding those values restores without a jump.
    LilvState* session = lilv_state_new_from_instance(plugin, ports.get(), map_.map(), nullptr, nullptr, nullptr,
                                                      nullptr, &Lv2Instance::getValue, &ports, 0, nullptr);
    ASSERT_NE(session, nullptr);
    Lv2Instance reopened(world_, plugin, map_, kRate);
    reopened.process(before, kBlock);
    lilv_state_restore(session, reopened.get(), &Lv2Instance::setValue, &reopened, 0, nullptr);
    EXPECT_LE(maxDifference(reopened.process(after, kBlock), glided), 1e-6f);
    lilv_state_free(session);
    lilv_state_free(preset);
}

// Every setting the render receives, as a port value and as halcyra-render's --set.
// "Response" in beats follows the tempo: halcyra-render's host plays at 120 bpm.
const std::pair<const char*, float> kSettings[] = {
    {"Size", 0.4f},     {"Mix", 35.0f},      {"Events", 0.0f},        {"Monitor", 1.0f},
    {"Output", -3.0f},  {"Star Mix", 0.6f},  {"Level", 0.8f},         {"Rate", 0.8f},
    {"Response Mode", 1.0f}, {"Response", 0.0f},
};

std::string renderArgs(int block) {
    std::string args = " --tail 0 --block " + std::to_string(block);
    for (const auto& [name, value] : kSettings) args += " --set '" + std::string(name) + "=" + std::to_string(value) + "'";
    return args;
}

TEST_F(Lv2Bundle, RendersWhatHalcyraRenderRendersAtTheSameBlockSize) {
    const StereoBuffer input = testSignal(1.5);
    writeWav(path("stereo.wav"), input, kRate, 2);
    writeWav(path("mono.wav"), input, kRate, 1);
    StereoBuffer stereoAt120;
    for (const auto& [uri, file] : {std::pair{kStereo, "stereo.wav"}, std::pair{kMono, "mono.wav"}}) {
        SCOPED_TRACE(uri);
        constexpr int kBlock = 256;
        ASSERT_EQ(runCommand(std::string("'") + HALCYRA_RENDER_PATH + "'" + renderArgs(kBlock) + " '" + path(file) +
                             "' '" + path("vst3.wav") + "'"),
                  0);
        Lv2Instance instance(world_, world_.plugin(uri), map_, kRate);
        ASSERT_TRUE(instance.ok());
        for (const auto& [name, value] : kSettings) instance.control(symbolOf(findParam(name))) = value;
        instance.sendTempo(120.0f);
        const StereoBuffer lv2 = instance.process(input, kBlock);
        EXPECT_LE(maxDifference(lv2, readWav(path("vst3.wav"))), 1e-6f);
        if (uri == kStereo) stereoAt120 = lv2;
    }

    // The host's tempo reaches the stars: at 60 bpm the response is twice as long.
    Lv2Instance slow(world_, world_.plugin(kStereo), map_, kRate);
    for (const auto& [name, value] : kSettings) slow.control(symbolOf(findParam(name))) = value;
    slow.sendTempo(60.0f);
    EXPECT_GT(maxDifference(slow.process(input, 256), stereoAt120), 1e-3f);

    // lv2apply (lilv-utils) runs the plug-in one frame per call; a short input keeps it quick.
    const StereoBuffer shortInput = testSignal(0.25);
    writeWav(path("short.wav"), shortInput, kRate, 2);
    fs::create_directories(dir_ / "lv2");
    fs::create_directory_symlink(fs::path(HALCYRA_LV2_BUNDLE).parent_path(), dir_ / "lv2" / "Halcyra.lv2");
    std::string controls;
    for (const auto& [name, value] : kSettings) controls += " -c " + symbolOf(findParam(name)) + " " + std::to_string(value);
    ASSERT_EQ(runCommand("LV2_PATH='" + path("lv2") + "' '" + HALCYRA_LV2APPLY_PATH + "' -i '" + path("short.wav") +
                         "' -o '" + path("lv2apply.wav") + "'" + controls + " " + kStereo),
              0);
    ASSERT_EQ(runCommand(std::string("'") + HALCYRA_RENDER_PATH + "'" + renderArgs(1) + " '" + path("short.wav") +
                         "' '" + path("vst3.wav") + "'"),
              0);
    EXPECT_LE(maxDifference(readWav(path("lv2apply.wav")), readWav(path("vst3.wav"))), 1e-6f);
}

// The saved record, read through the plug-in's state interface as a host's store callback sees it.
std::vector<std::uint8_t> savedRecord(Lv2Instance& instance, UridMap& map) {
    struct Capture {
        std::uint32_t key;
        std::vector<std::uint8_t> bytes;
    } capture{map.id("https://tavimoro.com/halcyra/lv2#state"), {}};
    const auto* iface = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance.get(), LV2_STATE__interface));
    if (!iface) return {};
    const auto store = [](LV2_State_Handle h, std::uint32_t key, const void* value, std::size_t size, std::uint32_t,
                          std::uint32_t) -> LV2_State_Status {
        auto* c = static_cast<Capture*>(h);
        if (key == c->key) c->bytes.assign(static_cast<const std::uint8_t*>(value), static_cast<const std::uint8_t*>(value) + size);
        return LV2_STATE_SUCCESS;
    };
    iface->save(lilv_instance_get_handle(instance.get()), store, &capture, 0, map.features());
    return capture.bytes;
}

double recordValue(const std::vector<std::uint8_t>& record, int index) {
    double v = 0.0;
    std::memcpy(&v, record.data() + 8 * index, sizeof v);  // little-endian on this platform
    return v;
}

TEST_F(Lv2Bundle, StateRoundTripRestoresTheSameRecordAsTheVst3State) {
    const LilvPlugin* plugin = world_.plugin(kStereo);
    const StereoBuffer block = testSignal(0.05);
    Lv2Instance a(world_, plugin, map_, kRate);
    ASSERT_TRUE(a.ok());
    a.control("output") = 40.0f;  // beyond the range: held as 12
    a.control("events") = 1.6f;   // snapped to "Comet"
    a.control("size") = 0.25f;
    a.control("enabled") = 0.0f;  // bypassed
    const StereoBuffer bypassed = a.process(block, 64);
    // The host's switch reaches the driver: past its crossfade, the input plays.
    EXPECT_FLOAT_EQ(bypassed.left.back(), block.left.back());
    EXPECT_FLOAT_EQ(bypassed.right.back(), block.right.back());
    const std::vector<std::uint8_t> record = savedRecord(a, map_);
    ASSERT_EQ(record.size(), 164u);
    EXPECT_EQ(recordValue(record, kOutput), 12.0);
    EXPECT_EQ(recordValue(record, kEvents), 2.0);
    EXPECT_EQ(recordValue(record, kSize), 0.25);
    EXPECT_EQ(record[160], 1);
    LilvState* saved = lilv_state_new_from_instance(plugin, a.get(), map_.map(), nullptr, nullptr, nullptr, nullptr,
                                                    &Lv2Instance::getValue, &a, 0, nullptr);
    ASSERT_NE(saved, nullptr);

    // A host that restores ports and properties: the restored instance saves the same state.
    Lv2Instance b(world_, plugin, map_, kRate);
    lilv_state_restore(saved, b.get(), &Lv2Instance::setValue, &b, 0, nullptr);
    LilvState* again = lilv_state_new_from_instance(plugin, b.get(), map_.map(), nullptr, nullptr, nullptr, nullptr,
                                                    &Lv2Instance::getValue, &b, 0, nullptr);
    EXPECT_TRUE(lilv_state_equals(saved, again));
    lilv_state_free(again);

    // A host that restores only the record: ports the host never moves do not undo it.
    Lv2Instance c(world_, plugin, map_, kRate);
    lilv_state_restore(saved, c.get(), nullptr, nullptr, 0, nullptr);
    c.process(block, 64);
    EXPECT_EQ(savedRecord(c, map_), record);
    c.control("size") = 0.5f;  // ...but a control the host does move wins
    c.process(block, 64);
    EXPECT_EQ(recordValue(savedRecord(c, map_), kSize), 0.5);
    lilv_state_free(saved);

    // Without the URID map there is no state, but the plug-in still loads and plays.
    Lv2Instance bare(world_, plugin, map_, kRate, false);
    ASSERT_TRUE(bare.ok());
    EXPECT_TRUE(savedRecord(bare, map_).empty());
    const StereoBuffer out = bare.process(block, 64);
    EXPECT_TRUE(std::isfinite(out.left.back()));
}

}  // namespace
