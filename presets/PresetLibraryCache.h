// The user preset names and the favourites, kept in memory so that an editor can
// draw them every frame without touching the disk. The folder's and the favourites
// file's modification times are looked at no more often than the recheck interval;
// when one has moved, only the preset files whose size or time changed are read again.
// The owning store calls invalidate() after its own writes so they show at once.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace halcyra {

struct PresetLibrary {
    std::vector<std::string> userNames;   // display order, duplicates kept
    std::vector<std::string> favourites;  // file order
    unsigned revision = 0;                // bumped whenever either list changes

    bool isFavourite(const std::string& name) const;
};

class PresetLibraryCache {
public:
    static constexpr std::chrono::milliseconds kDefaultRecheckInterval{250};

    explicit PresetLibraryCache(std::string folder);

    // Current lists, refreshed first when due.
    const PresetLibrary& get();
    // Forces a look at the disk on the next get().
    void invalidate() { mDue = true; }
    void setRecheckInterval(std::chrono::milliseconds interval) { mInterval = interval; }

private:
    struct FileStamp {
        std::filesystem::file_time_type time{};
        std::uintmax_t size = 0;
        bool operator==(const FileStamp&) const = default;
    };
    struct CachedFile {
        FileStamp stamp;
        bool settled = false;  // old enough when read that a change must move the stamp
        std::string name;  // empty: unreadable or nameless, not listed
    };

    void refresh();
    bool rescanFolder();
    bool rereadFavourites();
    static FileStamp stampOf(const std::filesystem::path& path, bool& exists);
    // A time this recent may still change within the file system's timestamp tick
    // without the time moving: what was read under it is read again at the next check.
    bool isSettled(std::filesystem::file_time_type t) const;

    std::string mFolder;
    std::chrono::milliseconds mInterval = kDefaultRecheckInterval;
    std::chrono::steady_clock::time_point mLastCheck{};
    bool mDue = true;
    bool mFolderSettled = false;
    bool mFavouritesSettled = false;
    FileStamp mFolderStamp, mFavouritesStamp;
    std::unordered_map<std::string, CachedFile> mFiles;  // by path
    PresetLibrary mLibrary;
};

}  // namespace halcyra
