#include "lv2/Lv2Host.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/time/time.h>
#include <sndfile.h>

#include <algorithm>
#include <stdexcept>

namespace halcyra::lv2test {

UridMap::UridMap() : map_{this, &UridMap::callback}, feature_{LV2_URID__map, &map_}, features_{&feature_, nullptr} {}

std::uint32_t UridMap::id(const std::string& uri) {
    const auto it = ids_.find(uri);
    if (it != ids_.end()) return it->second;
    const auto next = static_cast<std::uint32_t>(ids_.size() + 1);
    ids_.emplace(uri, next);
    return next;
}

LV2_URID UridMap::callback(LV2_URID_Map_Handle h, const char* uri) { return static_cast<UridMap*>(h)->id(uri); }

Lv2World::Lv2World() : world_(lilv_world_new()) {
    LilvNode* bundle = lilv_new_file_uri(world_, nullptr, HALCYRA_LV2_BUNDLE);
    lilv_world_load_specifications(world_);
    lilv_world_load_plugin_classes(world_);
    lilv_world_load_bundle(world_, bundle);
    lilv_node_free(bundle);
}

Lv2World::~Lv2World() { lilv_world_free(world_); }

const LilvPlugin* Lv2World::plugin(const char* u) const {
    LilvNode* node = uri(u);
    const LilvPlugin* p = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), node);
    lilv_node_free(node);
    return p;
}

Lv2Instance::Lv2Instance(const Lv2World& world, const LilvPlugin* plugin, UridMap& map, double rate, bool withMap)
    : plugin_(plugin), map_(map) {
    instance_ = lilv_plugin_instantiate(plugin, rate, withMap ? map.features() : nullptr);
    if (!instance_) return;
    const std::uint32_t n = lilv_plugin_get_num_ports(plugin);
    outputControls_.assign(n, 0.0f);
    std::vector<float> mins(n), maxs(n), defaults(n);
    lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defaults.data());
    LilvNode* control = world.uri(LILV_URI_CONTROL_PORT);
    LilvNode* audio = world.uri(LILV_URI_AUDIO_PORT);
    LilvNode* input = world.uri(LILV_URI_INPUT_PORT);
    for (std::uint32_t i = 0; i < n; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        indexOf_[symbol] = i;
        const bool isInput = lilv_port_is_a(plugin, port, input);
        if (lilv_port_is_a(plugin, port, control)) {
            if (isInput) controls_[symbol] = defaults[i];
            else lilv_instance_connect_port(instance_, i, &outputControls_[i]);
        } else if (lilv_port_is_a(plugin, port, audio)) {
            (isInput ? audioIn_ : audioOut_).push_back(i);
        }
    }
    for (auto& [symbol, value] : controls_) lilv_instance_connect_port(instance_, indexOf_[symbol], &value);
    events_.assign(64, 0);
    lilv_instance_connect_port(instance_, indexOf_["host_events"], events_.data());
    lilv_node_free(control);
    lilv_node_free(audio);
    lilv_node_free(input);
    lilv_instance_activate(instance_);
}

Lv2Instance::~Lv2Instance() {
    if (!instance_) return;
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
}

float& Lv2Instance::control(const std::string& symbol) {
    const auto it = controls_.find(symbol);
    if (it == controls_.end()) throw std::invalid_argument("no control port " + symbol);
    return it->second;
}

StereoBuffer Lv2Instance::process(const StereoBuffer& in, int block) {
    StereoBuffer out;
    out.left.assign(in.frames(), 0.0f);
    out.right.assign(in.frames(), 0.0f);
    const std::vector<const float*> sources{in.left.data(), in.right.data()};
    for (std::size_t pos = 0; pos < in.frames(); pos += static_cast<std::size_t>(block)) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(block, in.frames() - pos));
        for (std::size_t c = 0; c < audioIn_.size(); ++c)
            lilv_instance_connect_port(instance_, audioIn_[c], const_cast<float*>(sources[c] + pos));
        lilv_instance_connect_port(instance_, audioOut_[0], out.left.data() + pos);
        lilv_instance_connect_port(instance_, audioOut_[1], out.right.data() + pos);
        writeEvents();
        lilv_instance_run(instance_, n);
    }
    return out;
}

void Lv2Instance::writeEvents() {
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, map_.map());
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(events_.data()), events_.size() * 8);
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    if (pendingTempo_ > 0.0f) {
        lv2_atom_forge_frame_time(&forge, 0);
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_object(&forge, &object, 0, map_.id(LV2_TIME__Position));
        lv2_atom_forge_key(&forge, map_.id(LV2_TIME__beatsPerMinute));
        lv2_atom_forge_float(&forge, pendingTempo_);
        lv2_atom_forge_pop(&forge, &object);
        pendingTempo_ = 0.0f;
    }
    lv2_atom_forge_pop(&forge, &sequence);
}

const void* Lv2Instance::getValue(const char* symbol, void* self, std::uint32_t* size, std::uint32_t* type) {
    auto* me = static_cast<Lv2Instance*>(self);
    const auto it = me->controls_.find(symbol);
    if (it == me->controls_.end()) return nullptr;
    *size = sizeof(float);
    *type = me->map_.id(LV2_ATOM__Float);
    return &it->second;
}

void Lv2Instance::setValue(const char* symbol, void* self, const void* value, std::uint32_t size, std::uint32_t type) {
    auto* me = static_cast<Lv2Instance*>(self);
    const auto it = me->controls_.find(symbol);
    if (it == me->controls_.end() || size != sizeof(float) || type != me->map_.id(LV2_ATOM__Float)) return;
    it->second = *static_cast<const float*>(value);
}

void writeWav(const std::string& path, const StereoBuffer& audio, double rate, int channels) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) throw std::runtime_error("cannot write " + path);
    std::vector<float> frames;
    for (std::size_t i = 0; i < audio.frames(); ++i) {
        frames.push_back(audio.left[i]);
        if (channels == 2) frames.push_back(audio.right[i]);
    }
    sf_writef_float(f, frames.data(), static_cast<sf_count_t>(audio.frames()));
    sf_close(f);
}

StereoBuffer readWav(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) throw std::runtime_error("cannot read " + path);
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(f, frames.data(), info.frames);
    sf_close(f);
    StereoBuffer out;
    for (sf_count_t i = 0; i < info.frames; ++i) {
        out.left.push_back(frames[static_cast<std::size_t>(i * info.channels)]);
        out.right.push_back(frames[static_cast<std::size_t>(i * info.channels + info.channels - 1)]);
    }
    return out;
}

}  // namespace halcyra::lv2test
