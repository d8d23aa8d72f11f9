// The preset panel: a window-wide overlay listing the factory and user presets, with
// "+ Save current", the favourites-only filter, hearts and delete marks. Everything
// persistent goes through the PresetStore and is read afresh for every draw and
// click, so files changed outside the plug-in show up at once.
#pragma once

#include <string>
#include <vector>

#include "editor/PresetListItem.h"
#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class EditorContext;

class PresetManagerControl : public IControl {
public:
    static constexpr float kRowHeight = 26.0f;

    PresetManagerControl(const IRECT& bounds, EditorContext& ctx, std::vector<std::string> factoryNames);

    void Show();
    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

    // The list as it stands now (store and favourites read afresh).
    std::vector<PresetListItem> BuildList() const;

    bool FavouritesOnly() const { return mFavouritesOnly; }
    const std::string& CurrentUserPresetName() const { return mCurrentUserName; }

    // Geometry, in canvas units.
    IRECT PanelRect() const;
    IRECT SaveRect() const;
    IRECT FavouritesToggleRect() const;
    IRECT RowRect(int row) const;
    IRECT HeartRect(int row) const;
    IRECT DeleteRect(int row) const;

private:
    std::vector<PresetListItem> BuildList(const std::vector<std::string>& favourites) const;
    bool IsSelected(const PresetListItem& item) const;
    void DrawRow(Canvas& g, int row, const PresetListItem& item, const std::vector<std::string>& favourites);
    void OpenSaveEntry();
    // Removes the file carrying the name; the name stops being a favourite only
    // when nothing else carries it any more.
    void DeleteUserPreset(const std::string& name);
    void ClickRow(int row, const PresetListItem& item, float x, float y);

    EditorContext& mCtx;
    std::vector<std::string> mFactoryNames;
    IColor mPanel, mText, mDim, mAccent;
    std::string mCurrentUserName;
    bool mFavouritesOnly = false;
};

}  // namespace halcyra
