// What the editor shows as loaded, shared by the header and the preset panel: the
// favourites filter, the user preset last loaded or saved here (its row is
// highlighted), whether the header names that user preset or the factory preset
// "Preset" points at, and whether the sound has moved away from it. Lives as long as
// the editor; nothing of it is saved with the plug-in.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "editor/PresetListItem.h"

namespace halcyra {

class EditorContext;

class PresetSelection {
public:
    PresetSelection(EditorContext& ctx, std::vector<std::string> factoryNames);

    // The panel's rows under the current filter; rebuilt only when the store's lists
    // or the filter changed.
    const std::vector<PresetListItem>& Items();
    bool FavouritesOnly() const { return mFavouritesOnly; }
    void SetFavouritesOnly(bool on) { mFavouritesOnly = on; }
    const std::vector<std::string>& FactoryNames() const { return mFactoryNames; }

    void LoadFactory(int index);
    bool LoadUser(const std::string& name);
    // The panel wrote the current sound under `name`: that is what is loaded now.
    void NoteSaved(const std::string& name);
    void NoteRenamed(const std::string& from, const std::string& to);
    void NoteDeleted(const std::string& name);

    // "‹" / "›": loads the preset `delta` rows away in the panel's order (factory
    // presets, then user presets; only the shown ones under the filter), wrapping.
    void Step(int delta);

    // The highlighted user row's name; empty when none.
    const std::string& CurrentUserName() const { return mCurrentUserName; }
    // True while the header names a user preset: one was loaded or saved here and
    // "Preset" has not moved since.
    bool ShowsUserPreset() const;
    // The name the header shows and its heart marks.
    std::string ShownName() const;
    // True once a parameter that the shown preset sets differs from its value.
    bool IsModified() const;

private:
    void RememberUserPreset(const std::string& name, std::vector<std::pair<int, double>> values);
    // Position of what is loaded among all rows (filter off); -1 when not listed.
    int CurrentPosition(const std::vector<PresetListItem>& all) const;

    EditorContext& mCtx;
    std::vector<std::string> mFactoryNames;
    bool mFavouritesOnly = false;
    std::string mCurrentUserName;
    bool mUserLoaded = false;
    double mPresetAtUserLoad = 0.0;
    std::vector<std::pair<int, double>> mUserValues;  // (parameter, value) the user preset set

    std::vector<PresetListItem> mItems;
    unsigned mItemsRevision = 0;
    bool mItemsFilter = false;
    bool mItemsValid = false;
};

}  // namespace halcyra
