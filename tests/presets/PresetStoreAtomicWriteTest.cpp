#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TemporaryFolder.h"
#include "presets/PresetStore.h"

namespace halcyra {
namespace {

namespace fs = std::filesystem;

// Fails every write at the last moment: the replacement is complete on disk but has
// not yet taken the target's place.
class FailingBeforeReplaceStore : public PresetStore {
public:
    using PresetStore::PresetStore;
    mutable std::vector<std::string> temporaryContents;
    mutable std::vector<std::string> targets;

protected:
    bool beforeReplacingFile(const std::string& temporaryPath, const std::string& targetPath) const override {
        temporaryContents.push_back(test::readBytes(temporaryPath));
        targets.push_back(targetPath);
        return false;
    }
};

TEST(PresetStoreAtomicWrite, FailureAfterTheTemporaryIsWrittenLeavesTargetsUntouched) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Calm", {{"level", 0.25}}}));
    ASSERT_TRUE(store.writeFavourites({"Calm"}));
    const fs::path presetFile = store.findPresetFile("Calm");
    const std::string oldPreset = test::readBytes(presetFile);
    const std::string oldFavourites = test::readBytes(store.favouritesPath());
    const auto entriesBefore = test::entriesOf(tmp.path());

    FailingBeforeReplaceStore failing(tmp.str());
    EXPECT_FALSE(failing.saveUserPreset(UserPreset{"Calm", {{"level", 0.75}}}));
    EXPECT_FALSE(failing.saveUserPreset(UserPreset{"Brand new", {{"level", 0.75}}}));
    EXPECT_FALSE(failing.writeFavourites({"Calm", "Storm"}));
    EXPECT_TRUE(failing.toggleFavourite("Storm"));  // reports the intent; the write's failure is not reported
    EXPECT_FALSE(failing.isFavourite("Storm"));

    // The seam really ran with the finished replacement text...
    ASSERT_EQ(failing.temporaryContents.size(), 4u);
    EXPECT_EQ(failing.temporaryContents[0], "# Halcyra user preset\nname=Calm\nlevel=0.75\n");
    EXPECT_EQ(failing.targets[0], presetFile.string());
    EXPECT_EQ(failing.temporaryContents[2], "Calm\nStorm\n");
    // ...yet the old files are byte-identical and no temporary is left behind.
    EXPECT_EQ(test::readBytes(presetFile), oldPreset);
    EXPECT_EQ(test::readBytes(store.favouritesPath()), oldFavourites);
    EXPECT_EQ(test::entriesOf(tmp.path()), entriesBefore);
}

TEST(PresetStoreAtomicWrite, NamesNearTheFileNameLimitStillSave) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    const std::string name(240, 'L');  // 254 bytes with the extension
    ASSERT_TRUE(store.saveUserPreset(UserPreset{name, {{"level", 0.5}}}));
    ASSERT_TRUE(store.saveUserPreset(UserPreset{name, {{"level", 0.6}}}));
    EXPECT_EQ(store.listUserPresets(), std::vector<std::string>{name});
}

// The writes a read-only folder must refuse, as bits of an exit code: 0 = all refused.
int refusedWrites(const PresetStore& store) {
    int accepted = 0;
    if (store.saveUserPreset(UserPreset{"Calm", {{"level", 0.75}}})) accepted |= 1;
    if (store.saveUserPreset(UserPreset{"Other", {{"level", 0.75}}})) accepted |= 2;
    if (store.writeFavourites({})) accepted |= 4;
    return accepted;
}

TEST(PresetStoreAtomicWrite, ReadOnlyFolderRefusesWritesAndKeepsThePreviousFile) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Calm", {{"level", 0.25}}}));
    ASSERT_TRUE(store.writeFavourites({"Calm"}));
    const std::string presetFile = store.findPresetFile("Calm");
    const std::string oldPreset = test::readBytes(presetFile);

    // Readable and searchable by everyone, writable by no one.
    fs::permissions(tmp.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    if (geteuid() != 0) {
        EXPECT_EQ(refusedWrites(store), 0);
    } else {
        // Root ignores folder permissions: try the writes as an unprivileged user.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
            _exit(refusedWrites(store));
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "cannot switch to an unprivileged user";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "writes the folder should have refused (bits: Calm 1, Other 2, favourites 4)";
    }
    EXPECT_EQ(test::readBytes(presetFile), oldPreset);
    EXPECT_EQ(store.readFavourites(), std::vector<std::string>{"Calm"});
    EXPECT_EQ(store.listUserPresets(), std::vector<std::string>{"Calm"});
}

}  // namespace
}  // namespace halcyra
