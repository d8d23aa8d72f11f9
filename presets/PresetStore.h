// The user's preset folder: saving, finding, listing, loading, renaming and deleting
// user presets, and the favourites list (factory and user names alike). The named
// operations read the folder afresh, so files changed outside the plug-in are seen
// at the next call; library() is the cheap view for drawing every frame. Runs on the
// user-interface thread; nothing here throws.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "plugin/ParameterEditor.h"
#include "presets/PresetLibraryCache.h"
#include "presets/UserPreset.h"

namespace halcyra {

class PresetStore {
public:
    PresetStore();                             // the default folder under "HOME"
    explicit PresetStore(std::string folder);  // any folder (tests, tools)
    virtual ~PresetStore() = default;
    PresetStore(const PresetStore&) = default;
    PresetStore& operator=(const PresetStore&) = default;

    // "HOME"/Music/Halcyra/Presets, or ./Halcyra/Presets when "HOME" is unset or empty.
    static std::string defaultFolder();

    const std::string& folder() const { return folder_; }
    std::string favouritesPath() const;

    // Path of the first preset file (folder order) whose stored name is exactly
    // `name`; empty when none. The file's own name plays no part.
    std::string findPresetFile(const std::string& name) const;

    // Names of all readable preset files with a non-empty name, duplicates kept,
    // in display order (see PresetNameOrder.h).
    std::vector<std::string> listUserPresets() const;

    // Overwrites the file already carrying the name, or creates a new file named
    // after it. False when the file could not be written (the old one stays intact)
    // or when an entry's key could not be read back as written.
    bool saveUserPreset(const UserPreset& preset) const;

    // Applies every known key of the named preset through `params` (host and editor
    // are told). Leaves "Preset" and the sky alone. False when no file carries the name.
    bool loadUserPreset(const std::string& name, ParameterEditor& params) const;

    // What a deletion took away, enough to put it back.
    struct DeletedPreset {
        std::string name;
        std::string path;
        std::string bytes;                          // the file as it was
        std::optional<std::size_t> favouriteIndex;  // set when the name left the favourites
    };
    // Removes the file carrying the name. The name leaves the favourites only when
    // nothing else carries it any more (no factory preset, no other file). Empty when
    // no file carries the name or it could not be removed.
    std::optional<DeletedPreset> deleteUserPreset(const std::string& name) const;
    // Puts a deleted preset back: at its old path when that is free, else under a new
    // file name, and its favourite at its old place. False when it cannot be written.
    bool restoreUserPreset(const DeletedPreset& deleted) const;

    // Gives the preset carrying `from` the name `to`: the stored name changes in one
    // atomic replace, then the file takes a name made from the new one. Favourites
    // follow. False (nothing changes) when `to` is empty, `from` has no file, or a
    // file already carries `to`.
    bool renameUserPreset(const std::string& from, const std::string& to) const;

    // The user preset names and favourites from memory, refreshed when the folder or
    // the favourites file has changed (looked at a few times a second) and at once
    // after this store's own writes.
    const PresetLibrary& library() const;
    // How long library() trusts what it read before looking at the disk again.
    void setRecheckInterval(std::chrono::milliseconds interval) { cache_.setRecheckInterval(interval); }

    static std::vector<std::string> readFavouritesFile(const std::string& path);
    std::vector<std::string> readFavourites() const;
    bool writeFavourites(const std::vector<std::string>& names) const;
    bool isFavourite(const std::string& name) const;
    // True when the name is a favourite afterwards (appended at the end).
    bool toggleFavourite(const std::string& name) const;

    // The eleven preset controls' current values under `name`, in file order.
    static UserPreset fromParameters(const std::string& name, const ParameterEditor& params);

    // Any byte sequence reads as some record; false only when the file cannot be read.
    static bool readPresetFile(const std::string& path, UserPreset& out);

protected:
    // Called when a replacement file is complete, just before it takes the target's
    // place; returning false abandons the write. Lets tests fail a write at its most
    // delicate moment.
    virtual bool beforeReplacingFile(const std::string& temporaryPath, const std::string& targetPath) const;

private:
    bool writeReplacing(const std::string& path, const std::string& contents) const;
    std::string newPresetPath(const std::string& name) const;
    bool isCarriedElsewhere(const std::string& name) const;

    std::string folder_;
    mutable PresetLibraryCache cache_;
};

}  // namespace halcyra
