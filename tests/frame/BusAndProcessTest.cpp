// The processing contract with the host: layouts, set-up, activation, odd calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "FrameTestSupport.h"
#include "frame/SilenceFlags.h"
#include "pluginterfaces/vst/vstspeaker.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using halcyra::host::ProcessSettings;
using namespace halcyra::test;

namespace {

using halcyra::host::PluginInstance;

SpeakerArrangement arrangement(PluginInstance& p, BusDirection dir) {
    SpeakerArrangement arr = 0;
    EXPECT_EQ(p.processor()->getBusArrangement(dir, 0, arr), kResultTrue);
    return arr;
}

TEST(Buses, MonoAndStereoInputsToStereoAreAccepted) {
    auto p = makeInstance();
    EXPECT_EQ(p->setBusArrangement(SpeakerArr::kMono, SpeakerArr::kStereo), kResultTrue);
    EXPECT_EQ(arrangement(*p, kInput), SpeakerArr::kMono);
    BusInfo info{};
    ASSERT_EQ(p->component()->getBusInfo(kAudio, kInput, 0, info), kResultTrue);
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(p->setBusArrangement(SpeakerArr::kStereo, SpeakerArr::kStereo), kResultTrue);
    EXPECT_EQ(arrangement(*p, kInput), SpeakerArr::kStereo);
    ASSERT_EQ(p->component()->getBusInfo(kAudio, kOutput, 0, info), kResultTrue);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, kMain);
}

TEST(Buses, OtherLayoutsAreRefusedAndAdaptedToTheNearest) {
    auto p = makeInstance();
    EXPECT_EQ(p->setBusArrangement(SpeakerArr::k51, SpeakerArr::kStereo), kResultFalse);
    EXPECT_EQ(arrangement(*p, kInput), SpeakerArr::kStereo);
    EXPECT_EQ(p->setBusArrangement(SpeakerArr::kMono, SpeakerArr::kMono), kResultFalse);
    EXPECT_EQ(arrangement(*p, kInput), SpeakerArr::kMono);
    EXPECT_EQ(arrangement(*p, kOutput), SpeakerArr::kStereo);
    SpeakerArrangement in = SpeakerArr::kStereo, out = SpeakerArr::kStereo;
    EXPECT_EQ(p->processor()->setBusArrangements(&in, 2, &out, 1), kResultFalse);  // two input buses
    EXPECT_EQ(p->processor()->setBusArrangements(nullptr, 0, &out, 1), kResultFalse);
}

TEST(Buses, CountsAndIndexRanges) {
    auto p = makeInstance();
    IComponent* c = p->component();
    EXPECT_EQ(c->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(c->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(c->getBusCount(kEvent, kInput), 0);
    BusInfo info{};
    EXPECT_NE(c->getBusInfo(kAudio, kInput, 1, info), kResultTrue);
    EXPECT_NE(c->getBusInfo(kAudio, kOutput, -1, info), kResultTrue);
    EXPECT_NE(c->getBusInfo(kEvent, kInput, 0, info), kResultTrue);
    EXPECT_NE(c->activateBus(kAudio, kInput, 3, true), kResultTrue);
    SpeakerArrangement arr = 0;
    EXPECT_NE(p->processor()->getBusArrangement(kOutput, 1, arr), kResultTrue);
}

TEST(Processing, ZeroFramesWithNullBuffersFlushesParametersOnly) {
    ProcessSettings s;
    auto p = startedInstance(s);
    ProcessData data{};
    data.numSamples = 0;
    data.symbolicSampleSize = kSample32;
    halcyra::host::HostParameterChanges changes;
    changes.add(1, 0, 0.25);  // Mix
    data.inputParameterChanges = &changes;
    EXPECT_EQ(p->processor()->process(data), kResultOk);
    EXPECT_DOUBLE_EQ(plainValue(*p, 1), 25.0);

    // Zero-channel buses and null channel arrays are not touched either.
    AudioBusBuffers in{}, out{};
    data.numInputs = data.numOutputs = 1;
    data.inputs = &in;
    data.outputs = &out;
    data.numSamples = 64;
    data.inputParameterChanges = nullptr;
    EXPECT_EQ(p->processor()->process(data), kResultOk);
    out.numChannels = 2;  // channels claimed, buffers missing
    EXPECT_EQ(p->processor()->process(data), kResultOk);
}

TEST(Processing, AnyBlockSizeGivesFiniteAudioOfTheSameLength) {
    const std::vector<double> x = testSignal(30000, 7);
    for (int block : {1, 31, 4096, 10000}) {
        ProcessSettings s;
        s.maxBlockSize = block;
        auto p = startedInstance(s);
        const Stereo y = render(*p, {x, x}, block, false);
        ASSERT_EQ(y.left.size(), x.size()) << block;
        EXPECT_TRUE(allFinite(y)) << block;
        EXPECT_GT(peak(y.left), 1e-4) << "a reverb at full mix answers a loud input; block " << block;
    }
}

TEST(Processing, SilenceFlagsAreSetOnceTheTailHasDecayedAndNeverBefore) {
    ProcessSettings s;
    s.maxBlockSize = 512;
    auto p = startedInstance(s);
    p->queueParameter(2, 0.0);  // "Size" at its smallest: the shortest tail
    const std::vector<double> burst = testSignal(512, 7);
    std::vector<float> in(512), l(512), r(512);
    const float* ins[2] = {in.data(), in.data()};
    float* out[2] = {l.data(), r.data()};
    int unflagged = 0;
    for (int block = 0; block < 1000; ++block) {
        for (int i = 0; i < 512; ++i) in[i] = block == 0 ? static_cast<float>(burst[i]) : 0.0f;
        ASSERT_EQ(p->process(ins, out, 512), kResultOk);
        for (int c = 0; c < 2; ++c) {
            float blockPeak = 0.0f;
            for (float v : c == 0 ? l : r) {
                ASSERT_TRUE(std::isfinite(v));
                blockPeak = std::max(blockPeak, std::abs(v));
            }
            const bool flag = p->lastOutputSilenceFlags() & (1ull << c);
            ASSERT_EQ(flag, blockPeak < halcyra::vst3::kSilenceThreshold) << "block " << block << " peak " << blockPeak;
            unflagged += flag ? 0 : 1;
        }
    }
    EXPECT_GT(unflagged, 2) << "the burst rings on before it decays";
    EXPECT_EQ(p->lastOutputSilenceFlags() & 3u, 3u) << "ten seconds after a short tail the output is silent";
}

TEST(Processing, ReportsATailThatCoversTheDecay) {
    ProcessSettings s;
    s.sampleRate = 48000;
    auto p = startedInstance(s);
    const uint32 tail = p->processor()->getTailSamples();
    EXPECT_NE(tail, kNoTail);
    EXPECT_NE(tail, kInfiniteTail);
    EXPECT_GE(tail, 48000u) << "the default sound decays for seconds, not less";
    EXPECT_EQ(p->processor()->getLatencySamples(), 0u);
}

TEST(Processing, SetupIsRefusedWhileActiveAndForNonsenseRates) {
    auto p = makeInstance();
    ProcessSetup setup{kRealtime, kSample32, 512, 48000.0};
    EXPECT_EQ(p->processor()->setupProcessing(setup), kResultOk);
    setup.sampleRate = std::nan("");
    EXPECT_NE(p->processor()->setupProcessing(setup), kResultOk);
    // Rates nobody plays would take minutes to prepare for or overflow buffer lengths;
    // the odd rates validators try at both ends are still taken.
    for (double rate : {-44100.0, 999.0, 1.6e6, 1e8, 1e300}) {
        setup.sampleRate = rate;
        EXPECT_NE(p->processor()->setupProcessing(setup), kResultOk) << rate;
    }
    for (double rate : {1234.5678, 1234567.8}) {
        setup.sampleRate = rate;
        EXPECT_EQ(p->processor()->setupProcessing(setup), kResultOk) << rate;
    }
    setup.sampleRate = 48000.0;
    setup.symbolicSampleSize = 7;
    EXPECT_NE(p->processor()->setupProcessing(setup), kResultOk);
    EXPECT_EQ(p->processor()->canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_NE(p->processor()->canProcessSampleSize(7), kResultTrue);
}

TEST(Processing, OddRatesAndRepeatedLifeCyclesKeepWorking) {
    auto p = makeInstance();
    const std::vector<double> x = testSignal(2000, 3);
    for (double rate : {22050.0, 1234.5678, 123456.78, 384000.0, 44100.0}) {
        ProcessSettings s;
        s.sampleRate = rate;
        s.maxBlockSize = 333;
        p->configure(s);
        p->start();
        EXPECT_TRUE(allFinite(render(*p, {x, x}, 333, false))) << rate;
        p->stop();
        EXPECT_EQ(p->component()->terminate(), kResultOk);
        EXPECT_EQ(p->component()->initialize(nullptr), kResultOk);
    }
}

}  // namespace
