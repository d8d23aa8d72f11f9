// The preset panel: a window-wide overlay listing the factory and user presets, with
// "+ Save current", the favourites-only filter, hearts, rename and delete marks. The
// list scrolls (wheel, dragging it, or its slim bar) inside the panel. Rows act when
// the button is released on them, so a drag never loads, and the second press of a
// double click on a "✕" is ignored: it would land on the row that moved up. Deletions
// can be undone until the panel closes. Everything persistent goes through the
// PresetStore; the list comes from its in-memory library.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/ListScroll.h"
#include "editor/PresetListItem.h"
#include "editor/PresetSelection.h"
#include "graphics/IColor.h"
#include "graphics/IControl.h"
#include "presets/PresetStore.h"

namespace halcyra {

class EditorContext;

class PresetManagerControl : public IControl {
public:
    static constexpr float kRowHeight = 26.0f;

    PresetManagerControl(const IRECT& bounds, EditorContext& ctx, std::shared_ptr<PresetSelection> selection);

    void Show();
    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    void OnMouseUp(float x, float y, const IMouseMod& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
    void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
    void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta) override;

    // The rows as they stand (from the store's in-memory library).
    const std::vector<PresetListItem>& BuildList() { return mSelection->Items(); }

    bool FavouritesOnly() const { return mSelection->FavouritesOnly(); }
    const std::string& CurrentUserPresetName() const { return mSelection->CurrentUserName(); }
    // What the middle of the save row says after a failed save, rename or undo.
    const std::string& Notice() const { return mNotice; }
    // The name waiting for an answer to "Replace?"; empty when nothing is asked.
    const std::string& PendingReplaceName() const { return mReplaceName; }
    bool CanUndo() const { return !mUndo.empty() && mNotice.empty(); }

    // Geometry, in canvas units. Rows move with the scroll offset; only the part of a
    // row inside ListRect() is drawn or clickable.
    IRECT PanelRect() const;
    IRECT SaveRect() const;
    IRECT FavouritesToggleRect() const;
    IRECT MiddleRect() const;  // between the two: "Undo" or a notice
    IRECT ReplaceRect() const;
    IRECT KeepRect() const;
    IRECT ListRect() const;
    IRECT ScrollTrackRect() const;
    IRECT RowRect(int row) const;
    IRECT HeartRect(int row) const;
    IRECT RenameRect(int row) const;
    IRECT DeleteRect(int row) const;
    float ScrollOffset() const { return mScroll.Offset(); }

private:
    enum class Area { None, Heart, Name, Rename, Delete };
    struct Press {
        PresetListItem item;
        int row = -1;
        Area area = Area::None;
    };

    void Close();
    void UpdateScrollExtent();
    bool IsSelected(const PresetListItem& item) const;
    void DrawSaveRow(Canvas& g);
    void DrawRow(Canvas& g, int row, const PresetListItem& item, const PresetLibrary& library);
    std::optional<Press> PressAt(float x, float y);
    void Act(const Press& press);
    void OpenSaveEntry();
    void SaveNamed(const std::string& name);
    void OpenRenameEntry(int row, const std::string& name);
    void Rename(const std::string& from, const std::string& to);
    void Delete(const std::string& name);
    void Undo();
    void RevealUserRow(const std::string& name);

    EditorContext& mCtx;
    std::shared_ptr<PresetSelection> mSelection;
    IColor mPanel, mText, mDim, mAccent;
    ListScroll mScroll;

    std::optional<Press> mPress;   // pressed row, acted on at release unless dragged
    float mDragDistance = 0.0f;  // signed, since the press
    bool mDraggingList = false;
    bool mDraggingThumb = false;

    std::vector<PresetStore::DeletedPreset> mUndo;  // newest last; dropped on close
    std::string mNotice;
    std::string mReplaceName;
};

}  // namespace halcyra
