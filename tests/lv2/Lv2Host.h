// A small LV2 host on lilv for the tests: loads the built bundle, maps URIs,
// instantiates a variant with every port connected to its own buffer and runs it
// block by block, as a DAW would.
#pragma once

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace halcyra::lv2test {

class UridMap {
public:
    UridMap();
    LV2_URID_Map* map() { return &map_; }
    const LV2_Feature* const* features() const { return features_; }
    std::uint32_t id(const std::string& uri);

private:
    static LV2_URID callback(LV2_URID_Map_Handle h, const char* uri);
    std::map<std::string, std::uint32_t> ids_;
    LV2_URID_Map map_;
    LV2_Feature feature_;
    const LV2_Feature* features_[2];
};

class Lv2World {
public:
    Lv2World();  // loads only the built bundle
    ~Lv2World();
    LilvWorld* world() const { return world_; }
    const LilvPlugin* plugin(const char* uri) const;  // null when absent
    LilvNode* uri(const char* u) const { return lilv_new_uri(world_, u); }

private:
    LilvWorld* world_;
};

struct StereoBuffer {
    std::vector<float> left, right;
    std::size_t frames() const { return left.size(); }
};

class Lv2Instance {
public:
    // Every control port starts at its default; `withMap` passes the URID map feature.
    Lv2Instance(const Lv2World& world, const LilvPlugin* plugin, UridMap& map, double rate, bool withMap = true);
    ~Lv2Instance();
    LilvInstance* get() const { return instance_; }
    bool ok() const { return instance_ != nullptr; }

    float& control(const std::string& symbol);
    // Sends the host's tempo as a time:Position with the next run, as hosts do on a change.
    void sendTempo(float bpm) { pendingTempo_ = bpm; }
    // Runs the input (one channel for the mono variant uses `left`) in blocks of `block`.
    StereoBuffer process(const StereoBuffer& in, int block);

    // Port values for lilv's state functions.
    static const void* getValue(const char* symbol, void* self, std::uint32_t* size, std::uint32_t* type);
    static void setValue(const char* symbol, void* self, const void* value, std::uint32_t size, std::uint32_t type);

private:
    const LilvPlugin* plugin_;
    UridMap& map_;
    LilvInstance* instance_ = nullptr;
    std::map<std::string, float> controls_;
    std::map<std::string, std::uint32_t> indexOf_;
    std::vector<float> outputControls_;
    std::vector<std::uint32_t> audioIn_, audioOut_;
    std::vector<std::uint64_t> events_;  // the atom sequence on the "host_events" port (8-byte aligned)
    float pendingTempo_ = 0.0f;
    void writeEvents();
};

// Float WAV files, as halcyra-render and lv2apply read and write them.
void writeWav(const std::string& path, const StereoBuffer& audio, double rate, int channels = 2);
StereoBuffer readWav(const std::string& path);

}  // namespace halcyra::lv2test
