#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>

#include "RecordingParameterEditor.h"
#include "TemporaryFolder.h"
#include "presets/PresetStore.h"

namespace halcyra {
namespace {

namespace fs = std::filesystem;
using test::entriesOf;
using test::readBytes;
using test::writeBytes;

// Puts "HOME" back as it was, set or unset, whatever the test did to it.
class HomeGuard {
public:
    HomeGuard() {
        if (const char* h = std::getenv("HOME")) saved_ = h;
    }
    ~HomeGuard() {
        if (saved_) setenv("HOME", saved_->c_str(), 1);
        else unsetenv("HOME");
    }

private:
    std::optional<std::string> saved_;
};

TEST(PresetStoreFolder, FollowsHomeAndFallsBackToTheCurrentDirectory) {
    HomeGuard guard;
    setenv("HOME", "/home/ada", 1);
    EXPECT_EQ(PresetStore::defaultFolder(), "/home/ada/Music/Halcyra/Presets");
    EXPECT_EQ(PresetStore().folder(), "/home/ada/Music/Halcyra/Presets");
    setenv("HOME", "/home/ada/", 1);
    EXPECT_EQ(PresetStore::defaultFolder(), "/home/ada/Music/Halcyra/Presets");
    setenv("HOME", "", 1);
    EXPECT_EQ(PresetStore::defaultFolder(), "./Halcyra/Presets");
    unsetenv("HOME");
    EXPECT_EQ(PresetStore::defaultFolder(), "./Halcyra/Presets");
    EXPECT_EQ(PresetStore("/x/y").favouritesPath(), "/x/y/favorites.txt");
}

UserPreset presetWithLevel(const std::string& name, double level) { return UserPreset{name, {{"level", level}}}; }

TEST(PresetStoreFiles, SavingReusesTheFileCarryingTheNameAndNumbersCollidingStems) {
    test::TemporaryFolder tmp;
    const fs::path folder = tmp.path() / "Music" / "Halcyra" / "Presets";  // created on first save
    PresetStore store(folder.string());

    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("My Sky", 0.1)));
    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("My Sky", 0.9)));
    EXPECT_EQ(entriesOf(folder), (std::set<std::string>{"My_Sky.halcyrapreset"}));
    EXPECT_EQ(readBytes(folder / "My_Sky.halcyrapreset"), "# Halcyra user preset\nname=My Sky\nlevel=0.90000000000000002\n");

    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("My.Sky", 0.2)));
    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("My\xC3\xA9", 0.3)));  // two bytes, two underscores
    fs::create_directory(folder / "Ghost.halcyrapreset");  // a folder blocks the name too
    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("Ghost", 0.4)));
    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("", 0.5)));
    EXPECT_EQ(entriesOf(folder),
              (std::set<std::string>{"My_Sky.halcyrapreset", "My_Sky-2.halcyrapreset", "My__.halcyrapreset",
                                     "Ghost.halcyrapreset", "Ghost-2.halcyrapreset",
                                     "preset.halcyrapreset"}));
    EXPECT_EQ(store.findPresetFile("My.Sky"), (folder / "My_Sky-2.halcyrapreset").string());

    // The stored name decides, not the file name.
    writeBytes(folder / "renamed by hand.halcyrapreset", "name=Dusk\nlevel=0\n");
    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("Dusk", 0.75)));
    EXPECT_EQ(readBytes(folder / "renamed by hand.halcyrapreset"), "# Halcyra user preset\nname=Dusk\nlevel=0.75\n");
    EXPECT_FALSE(fs::exists(folder / "Dusk.halcyrapreset"));
}

TEST(PresetStoreFiles, NamelessFilesAreNotListedButStillBlockTheirFileName) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    writeBytes(tmp.path() / "My_Sky.halcyrapreset", "# no name line\nlevel=0.5\n");
    writeBytes(tmp.path() / "Empty.halcyrapreset", "name=\r\nlevel=0.5\r\n");
    EXPECT_TRUE(store.listUserPresets().empty());

    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("My Sky", 0.1)));
    EXPECT_TRUE(fs::exists(tmp.path() / "My_Sky-2.halcyrapreset"));
    EXPECT_EQ(readBytes(tmp.path() / "My_Sky.halcyrapreset"), "# no name line\nlevel=0.5\n");
    EXPECT_EQ(store.listUserPresets(), std::vector<std::string>{"My Sky"});
}

TEST(PresetStoreFiles, ListsOnlyPresetFilesInCaseFoldedByteOrder) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    int n = 0;
    for (const std::string name : {"beta", "Zulu", "alp", "Alpha", "_under", "\xC3\xA9t\xC3\xA9", "beta", "B"})
        writeBytes(tmp.path() / ("f" + std::to_string(n++) + ".halcyrapreset"), "name=" + name + "\n");
    writeBytes(tmp.path() / "old.halcyrapreset.bak", "name=Backup\n");
    writeBytes(tmp.path() / "Upper.HALCYRAPRESET", "name=Upper\n");
    writeBytes(tmp.path() / ".halcyrapreset", "name=Hidden\n");
    writeBytes(tmp.path() / "favorites.txt", "name=Fav\n");
    fs::create_directory(tmp.path() / "Folder.halcyrapreset");

    // Bytes of 0x80 and up count as negative, so non-ASCII names come first.
    EXPECT_EQ(store.listUserPresets(),
              (std::vector<std::string>{"\xC3\xA9t\xC3\xA9", "_under", "alp", "Alpha", "B", "beta", "beta", "Hidden", "Zulu"}));
    EXPECT_TRUE(PresetStore(tmp.str("missing")).listUserPresets().empty());
    EXPECT_EQ(PresetStore(tmp.str("missing")).findPresetFile("beta"), "");
}

TEST(PresetStoreFiles, LoadAppliesKnownKeysInFileOrderThroughTheEditor) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    writeBytes(tmp.path() / "a.halcyrapreset",
               "name=Hand made\nlevel=0.1\npreset=3\nmix=250\nsize=1e999\nfuture=1\nlevel=0.5abc\nresponse=-7\nrate=nan\n");
    test::RecordingParameterEditor params;
    params.preset(kMixLock, 1.0);

    ASSERT_TRUE(store.loadUserPreset("Hand made", params));
    EXPECT_EQ(params.changedIndices, (std::vector<int>{kLevel, kMix, kSize, kLevel, kResponse, kRate}));
    EXPECT_EQ(params.value(kLevel), 0.5);
    EXPECT_EQ(params.value(kMix), 100.0);  // clamped, and Mix Lock plays no part here
    EXPECT_EQ(params.value(kSize), 0.0);
    EXPECT_EQ(params.value(kResponse), 0.0);
    EXPECT_EQ(params.value(kPreset), 0.0);
    EXPECT_EQ(params.log.size(), 4 * params.changedIndices.size());

    params.log.clear();
    EXPECT_FALSE(store.loadUserPreset("hand made", params));
    EXPECT_TRUE(params.log.empty());
}

TEST(PresetStoreFiles, SavedCurrentSoundLoadsBackExactly) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    test::RecordingParameterEditor source;
    source.preset(kWeather, 0.123456789);
    source.preset(kResponse, 1234);
    source.preset(kSize, 1.0 / 3.0);
    ASSERT_TRUE(store.saveUserPreset(PresetStore::fromParameters("Snapshot", source)));

    test::RecordingParameterEditor target;
    target.preset(kWeather, 0.9);
    ASSERT_TRUE(store.loadUserPreset("Snapshot", target));
    EXPECT_EQ(target.changedIndices.size(), 11u);
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(target.value(i), source.value(i)) << paramInfo(i).name;
}

TEST(PresetStoreFiles, NoNameCanPlaceAFileOutsideTheFolder) {
    test::TemporaryFolder tmp;
    const fs::path folder = tmp.path() / "deep" / "Presets";
    PresetStore store(folder.string());
    const std::vector<std::string> names{"../../escape", "/etc/passwd", "..", ".", "sub/dir", "a\\..\\b",
                                         std::string("nul\0/../x", 9), "~", "C:"};
    for (const std::string& name : names) ASSERT_TRUE(store.saveUserPreset(presetWithLevel(name, 0.5))) << name;

    for (const auto& e : fs::recursive_directory_iterator(tmp.path())) {
        EXPECT_TRUE(e.path().parent_path() == folder || e.path() == folder || e.path() == folder.parent_path()) << e.path();
        if (e.path().parent_path() == folder) {
            EXPECT_TRUE(e.is_regular_file()) << e.path();
        }
    }
    EXPECT_EQ(entriesOf(folder).size(), names.size());
    test::RecordingParameterEditor params;
    for (const std::string& name : names) EXPECT_TRUE(store.loadUserPreset(name, params)) << name;
}

TEST(PresetStoreFiles, RecordsThatWouldReadBackDifferentlyAreRefused) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    for (const std::string key : {"", "a=b", "line\nbreak", "#comment", "name"})
        EXPECT_FALSE(store.saveUserPreset(UserPreset{"Bad", {{"level", 0.5}, {key, 0.5}}})) << key;
    EXPECT_TRUE(entriesOf(tmp.path()).empty());
    EXPECT_TRUE(store.saveUserPreset(UserPreset{"Fine", {{"future key", 2}}}));
}

TEST(PresetStoreLibrary, ShowsOwnWritesAtOnceAndOthersWhenRechecked) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    store.setRecheckInterval(std::chrono::hours(1));
    EXPECT_TRUE(store.library().userNames.empty());

    ASSERT_TRUE(store.saveUserPreset(presetWithLevel("b", 0.1)));
    store.toggleFavourite("Storm");
    const unsigned revision = store.library().revision;
    EXPECT_EQ(store.library().userNames, std::vector<std::string>{"b"});
    EXPECT_TRUE(store.library().isFavourite("Storm"));

    writeBytes(tmp.path() / "hand.halcyrapreset", "name=A\n");
    writeBytes(store.favouritesPath(), "b\n");
    EXPECT_EQ(store.library().userNames, std::vector<std::string>{"b"});  // not looked at yet
    EXPECT_EQ(store.library().revision, revision);

    store.setRecheckInterval(std::chrono::milliseconds(0));
    EXPECT_EQ(store.library().userNames, (std::vector<std::string>{"A", "b"}));
    EXPECT_EQ(store.library().favourites, std::vector<std::string>{"b"});
    EXPECT_NE(store.library().revision, revision);

    fs::remove(tmp.path() / "hand.halcyrapreset");
    fs::remove(store.favouritesPath());
    EXPECT_EQ(store.library().userNames, std::vector<std::string>{"b"});
    EXPECT_TRUE(store.library().favourites.empty());
}

TEST(PresetStoreLibrary, OpeningTheFolderRemovesOnlyStaleTemporariesOfInterruptedWrites) {
    test::TemporaryFolder tmp;
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(10);
    for (const char* name : {".halcyra-123.tmp", ".halcyra-456.tmp", ".halcyra-x.tmp", "notes.tmp"}) {
        writeBytes(tmp.path() / name, "partial");
        if (std::string(name) != ".halcyra-456.tmp") fs::last_write_time(tmp.path() / name, old);
    }
    PresetStore store(tmp.str());
    store.library();
    // The fresh one may belong to a write still running in another instance.
    EXPECT_EQ(entriesOf(tmp.path()), (std::set<std::string>{".halcyra-456.tmp", ".halcyra-x.tmp", "notes.tmp"}));
}

}  // namespace
}  // namespace halcyra
