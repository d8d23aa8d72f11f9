#include "presets/PresetLibraryCache.h"

#include <algorithm>
#include <system_error>

#include "presets/AtomicFileWrite.h"
#include "presets/PresetFileNaming.h"
#include "presets/PresetNameOrder.h"
#include "presets/PresetStore.h"

namespace halcyra {

namespace fs = std::filesystem;

namespace {

// Coarser than the timestamp tick of the usual local file systems (ext4, XFS, Btrfs,
// tmpfs, NTFS). A file system with two-second times can hide an edit made within the
// same tick as our read until the next change of the folder.
constexpr auto kSettleTime = std::chrono::milliseconds(100);

}  // namespace

bool PresetLibrary::isFavourite(const std::string& name) const {
    return std::find(favourites.begin(), favourites.end(), name) != favourites.end();
}

PresetLibraryCache::PresetLibraryCache(std::string folder) : mFolder(std::move(folder)) {}

const PresetLibrary& PresetLibraryCache::get() {
    const auto now = std::chrono::steady_clock::now();
    if (mDue || now - mLastCheck >= mInterval) {
        mLastCheck = now;
        mDue = false;
        refresh();
    }
    return mLibrary;
}

PresetLibraryCache::FileStamp PresetLibraryCache::stampOf(const fs::path& path, bool& exists) {
    std::error_code ec;
    FileStamp stamp;
    stamp.time = fs::last_write_time(path, ec);
    exists = !ec;
    if (!exists) return {};
    stamp.size = fs::is_directory(path, ec) ? 0 : fs::file_size(path, ec);
    if (ec) stamp.size = 0;
    return stamp;
}

bool PresetLibraryCache::isSettled(fs::file_time_type t) const {
    return fs::file_time_type::clock::now() - t > kSettleTime;
}

void PresetLibraryCache::refresh() {
    bool changed = false;

    bool folderExists = false;
    const FileStamp folder = stampOf(mFolder, folderExists);
    if (!folderExists) {
        changed = !mFiles.empty();
        mFiles.clear();
        mFolderStamp = {};
        mFolderSettled = false;
    } else if (!mFolderSettled || !(folder == mFolderStamp)) {
        if (mFolderStamp == FileStamp{} && mFiles.empty()) removeStaleTemporaries(mFolder);
        mFolderStamp = folder;
        mFolderSettled = isSettled(folder.time);
        changed = rescanFolder();
    }

    bool favouritesExist = false;
    const FileStamp favourites = stampOf(joinPath(mFolder, kFavouritesFileName), favouritesExist);
    if (!favouritesExist) {
        changed = changed || !mLibrary.favourites.empty();
        mLibrary.favourites.clear();
        mFavouritesStamp = {};
        mFavouritesSettled = false;
    } else if (!mFavouritesSettled || !(favourites == mFavouritesStamp)) {
        mFavouritesStamp = favourites;
        mFavouritesSettled = isSettled(favourites.time);
        changed = rereadFavourites() || changed;
    }

    if (changed) {
        mLibrary.userNames.clear();
        for (const auto& [path, file] : mFiles)
            if (!file.name.empty()) mLibrary.userNames.push_back(file.name);
        std::sort(mLibrary.userNames.begin(), mLibrary.userNames.end(),
                  [](const std::string& a, const std::string& b) { return presetNameLess(a, b); });
        ++mLibrary.revision;
    }
}

bool PresetLibraryCache::rescanFolder() {
    bool changed = false;
    std::unordered_map<std::string, CachedFile> seen;
    seen.reserve(mFiles.size());
    std::error_code ec;
    for (fs::directory_iterator it(mFolder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!hasPresetExtension(it->path().filename().string())) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string path = it->path().string();
        bool exists = false;
        const FileStamp stamp = stampOf(path, exists);
        if (!exists) continue;

        const auto old = mFiles.find(path);
        if (old != mFiles.end() && old->second.stamp == stamp && old->second.settled) {
            seen.emplace(std::move(path), std::move(old->second));
            continue;
        }
        UserPreset preset;
        CachedFile file{stamp, isSettled(stamp.time),
                        PresetStore::readPresetFile(path, preset) ? std::move(preset.name) : std::string()};
        changed = changed || old == mFiles.end() || old->second.name != file.name;
        seen.emplace(std::move(path), std::move(file));
    }
    changed = changed || seen.size() != mFiles.size();
    mFiles = std::move(seen);
    return changed;
}

bool PresetLibraryCache::rereadFavourites() {
    std::vector<std::string> names = PresetStore::readFavouritesFile(joinPath(mFolder, kFavouritesFileName));
    if (names == mLibrary.favourites) return false;
    mLibrary.favourites = std::move(names);
    return true;
}

}  // namespace halcyra
