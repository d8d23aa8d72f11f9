// halcyra-render as a user meets it: every bad input is one clear line, a non-zero
// exit and no output file; a good render has the promised length and sane levels.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class RenderTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(HALCYRA_TEST_TMP) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    RunResult run(const std::string& args) const {
        const std::string outFile = path("stdout.txt"), errFile = path("stderr.txt");
        const std::string command =
            std::string("'") + HALCYRA_RENDER_PATH + "' " + args + " >'" + outFile + "' 2>'" + errFile + "'";
        const int status = std::system(command.c_str());
        RunResult r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = slurp(outFile);
        r.err = slurp(errFile);
        fs::remove(outFile);
        fs::remove(errFile);
        return r;
    }

    static std::string slurp(const std::string& file) {
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Only the output we asked for may appear, and for a failed render not even that.
    std::vector<std::string> filesLeft() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        return names;
    }

    void expectFailure(const std::string& args, const std::string& message) {
        const RunResult r = run(args);
        EXPECT_NE(r.exitCode, 0) << args;
        EXPECT_NE(r.err.find(message), std::string::npos) << args << "\nstderr: " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
        EXPECT_FALSE(fs::exists(path("out.wav"))) << args;
        for (const std::string& name : filesLeft()) ADD_FAILURE() << "left behind: " << name << " by " << args;
    }

    fs::path dir_;
};

TEST_F(RenderTool, BadParameterSettingsAreRefused) {
    const std::string out = " impulse '" + path("out.wav") + "'";
    expectFailure("--set Loudness=3" + out, "unknown parameter 'Loudness'");
    expectFailure("--set Events=Planet" + out, "unknown value 'Planet' for Events (one of: Auto, Star, Comet)");
    expectFailure("--set Mix=150" + out, "out of range for Mix (0 to 100 %)");
    expectFailure("--set Decay=0.1" + out, "out of range for Decay (0.3 to 4 s)");
    expectFailure("--set Mix" + out, "--set needs NAME=VALUE");
    expectFailure("--preset Tornado" + out, "unknown factory preset 'Tornado' (known: 'Sky Opening', 'Clear', 'Overcast'");
    expectFailure("--user-preset 'Never Saved'" + out, "unknown user preset 'Never Saved' (known:");
}

TEST_F(RenderTool, BadFilesAndModulesAreRefused) {
    expectFailure("'" + path("missing.wav") + "' '" + path("out.wav") + "'", "cannot read input");
    expectFailure("--plugin '" HALCYRA_NO_FACTORY_MODULE "' impulse '" + path("out.wav") + "'", "has no plug-in factory");
    expectFailure("--plugin '" HALCYRA_NO_EFFECT_MODULE "' impulse '" + path("out.wav") + "'", "has no audio-effect class");
    expectFailure("--plugin '" + path("Nothing.vst3") + "' impulse '" + path("out.wav") + "'", "no module at");
    expectFailure("--rate 0 impulse '" + path("out.wav") + "'", "--rate must be between");
    expectFailure("--block many impulse '" + path("out.wav") + "'", "--block needs a number");
    expectFailure("impulse '" + path("no-such-folder/out.wav") + "'", "cannot write output");
}

TEST_F(RenderTool, OutputMayNotOverwriteTheInput) {
    const RunResult made = run("--tail 0 --rate 8000 impulse '" + path("in.wav") + "'");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const auto before = fs::file_size(path("in.wav"));
    const RunResult r = run("'" + path("in.wav") + "' '" + dir_.string() + "/./in.wav'");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
    EXPECT_EQ(fs::file_size(path("in.wav")), before);
}

// The value between `key="` and the next quote on a --parameters line; empty when absent.
std::string field(const std::string& line, const std::string& key) {
    const std::size_t start = line.find(" " + key + "=\"");
    if (start == std::string::npos) return {};
    const std::size_t from = start + key.size() + 3;
    return line.substr(from, line.find('"', from) - from);
}

TEST_F(RenderTool, HelpShowsTheUsageAndParametersListsWhatHostsSee) {
    const RunResult r = run("--help");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("usage: halcyra-render"), std::string::npos);
    EXPECT_NE(r.out.find("--user-preset NAME"), std::string::npos);

    const RunResult list = run("--parameters");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    std::istringstream lines(list.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) rows.push_back(line);
    ASSERT_EQ(rows.size(), 21u) << "twenty parameters and the bypass:\n" << list.out;
    for (const std::string& row : rows) {
        const std::string units = field(row, "units");
        for (const char* key : {"min", "max", "default"}) {
            EXPECT_FALSE(field(row, key).empty()) << row;
            if (!units.empty()) {
                EXPECT_EQ(field(row, key).find(units), std::string::npos) << "unit twice: " << row;
            }
        }
    }
    EXPECT_EQ(rows[10], "id=10 title=\"Events\" units=\"\" min=\"Auto\" max=\"Comet\" default=\"Auto\" steps=2 flags=list");
    EXPECT_EQ(rows[11],
              "id=11 title=\"Output\" units=\"dB\" min=\"-24.0\" max=\"12.0\" default=\"0.0\" steps=0 flags=automatable");
    EXPECT_NE(rows[20].find("flags=automatable,bypass"), std::string::npos) << rows[20];
}

TEST_F(RenderTool, DemoRendersWithTheTailAndSaneLevels) {
    const RunResult r = run("--rate 24000 --tail 2 --set Events=Comet --set \"Output=-6 dB\" --state-out '" +
                            path("state.bin") + "' demo '" + path("out.wav") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("240000 frames, 10.00 s"), std::string::npos) << r.out;  // 8 s demo + 2 s tail

    SF_INFO info{};
    SNDFILE* f = sf_open(path("out.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 24000);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    std::vector<float> samples(static_cast<std::size_t>(info.frames * 2));
    ASSERT_EQ(sf_readf_float(f, samples.data(), info.frames), info.frames);
    sf_close(f);
    float peak = 0.0f, tailPeak = 0.0f;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_TRUE(std::isfinite(samples[i]));
        peak = std::max(peak, std::fabs(samples[i]));
        if (i >= static_cast<std::size_t>(8 * 24000 * 2)) tailPeak = std::max(tailPeak, std::fabs(samples[i]));
    }
    EXPECT_GT(peak, 0.01f);
    EXPECT_LT(peak, 1.0f);
    EXPECT_GT(tailPeak, 1e-4f) << "the reverb still rings after the input ends";

    // The saved state carries the settings made on the command line.
    std::ifstream state(path("state.bin"), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(state)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 164u);
    double events = 0.0, output = 0.0;
    std::memcpy(&events, bytes.data() + 80, 8);
    std::memcpy(&output, bytes.data() + 88, 8);
    EXPECT_EQ(events, 2.0);
    EXPECT_DOUBLE_EQ(output, -6.0);
}

TEST_F(RenderTool, StateFileRestoresSettings) {
    ASSERT_EQ(run("--tail 0 --rate 8000 --set Mix=0 --state-out '" + path("s.bin") + "' impulse '" + path("a.wav") + "'").exitCode, 0);
    const RunResult r = run("--tail 0 --rate 8000 --state-in '" + path("s.bin") + "' impulse '" + path("b.wav") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Dry only: the impulse at frame 0 and nothing after it.
    SF_INFO info{};
    SNDFILE* f = sf_open(path("b.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    std::vector<float> samples(static_cast<std::size_t>(info.frames * 2));
    sf_readf_float(f, samples.data(), info.frames);
    sf_close(f);
    float later = 0.0f;
    for (std::size_t i = 2000; i < samples.size(); ++i) later = std::max(later, std::fabs(samples[i]));
    EXPECT_GT(std::fabs(samples[0]), 0.1f);
    EXPECT_LT(later, 1e-6f);

    // Settings come before the preset: an unlocked Mix is recalled, whatever the order given.
    {
        ASSERT_EQ(run("--tail 0 --rate 8000 --preset Storm --set 'Mix Lock=Unlocked' --state-out '" + path("c.bin") +
                      "' impulse '" + path("c.wav") + "'").exitCode, 0);
        std::ifstream state(path("c.bin"), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(state)), std::istreambuf_iterator<char>());
        ASSERT_EQ(bytes.size(), 164u);
        double mix = 0.0;
        std::memcpy(&mix, bytes.data() + 8, 8);
        EXPECT_DOUBLE_EQ(mix, 42.0);
    }

    // Every factory .vstpreset in the bundle restores its preset: "Preset" points at it.
    const char* names[] = {"Sky Opening", "Clear", "Overcast", "Cirrus", "Storm", "Aurora", "Vocal Sky", "Cinematic Overcast"};
    const double mixes[] = {100, 25, 28, 30, 42, 40, 24, 50};
    for (int i = 0; i < 8; ++i) {
        const std::string preset = std::string(HALCYRA_PRESET_FILES_DIR) + "/" + names[i] + ".vstpreset";
        const RunResult p = run("--tail 0 --rate 8000 --state-in '" + preset + "' --state-out '" + path("p.bin") +
                                "' impulse '" + path("c.wav") + "'");
        ASSERT_EQ(p.exitCode, 0) << names[i] << ": " << p.err;
        std::ifstream state(path("p.bin"), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(state)), std::istreambuf_iterator<char>());
        ASSERT_EQ(bytes.size(), 164u);
        double presetIndex = -1.0, mix = -1.0;
        std::memcpy(&presetIndex, bytes.data() + 7 * 8, 8);
        std::memcpy(&mix, bytes.data() + 1 * 8, 8);
        EXPECT_EQ(presetIndex, i) << names[i];
        EXPECT_EQ(mix, mixes[i]) << names[i] << ": the file carries the preset's own Mix";
    }
    // A preset file of another plug-in is refused, not read as a state.
    std::vector<char> foreign = {'V', 'S', 'T', '3', 1, 0, 0, 0};
    foreign.resize(48, '0');
    std::ofstream(path("foreign.vstpreset"), std::ios::binary).write(foreign.data(), static_cast<std::streamsize>(foreign.size()));
    const RunResult bad = run("--state-in '" + path("foreign.vstpreset") + "' impulse '" + path("d.wav") + "'");
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("holds no state of this effect"), std::string::npos) << bad.err;
}

}  // namespace
