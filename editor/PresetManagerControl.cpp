#include "editor/PresetManagerControl.h"

#include <algorithm>
#include <cmath>

#include "editor/EditorColors.h"
#include "editor/EditorContext.h"
#include "editor/ElidedText.h"
#include "editor/HeartPath.h"
#include "graphics/Canvas.h"
#include "graphics/IGraphics.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"

namespace halcyra {

namespace {

constexpr float kPanelHalfWidth = 170.0f;
constexpr float kPanelRadius = 10.0f;
constexpr float kRowInset = 8.0f;
constexpr float kListBottomMargin = 6.0f;  // thirteen whole rows fit
constexpr float kScrollBarWidth = 4.0f;
constexpr float kScrollBarGap = 2.0f;      // between the bar and the panel's edge
constexpr float kWheelStep = 2.0f * PresetManagerControl::kRowHeight;
// A press that moves further than this scrolls the list instead of clicking.
constexpr float kDragThreshold = 4.0f;
constexpr int kOutlineAlpha = 89;
constexpr int kButtonFillAlpha = 45;
constexpr int kSelectedFillAlpha = 30;
constexpr int kThumbAlpha = 120;
constexpr int kTrackAlpha = 30;
// Unselected names are a touch brighter than the other dim texts.
constexpr int kNameLift = 25;
constexpr IColor kNoticeColor{255, 236, 150, 130};

// The "✕" of a user row, drawn as two strokes so it never depends on a font's glyph.
// Sized like a 12-unit glyph.
void DrawDeleteMark(Canvas& g, const IRECT& area, const IColor& colour) {
    constexpr float kHalf = 3.5f;
    const float cx = area.MW();
    const float cy = area.MH();
    g.DrawLine(colour, cx - kHalf, cy - kHalf, cx + kHalf, cy + kHalf, 1.2f);
    g.DrawLine(colour, cx - kHalf, cy + kHalf, cx + kHalf, cy - kHalf, 1.2f);
}

// A small pencil for renaming: a slanted stroke with its point at the lower left.
void DrawRenameMark(Canvas& g, const IRECT& area, const IColor& colour) {
    const float cx = area.MW();
    const float cy = area.MH();
    g.DrawLine(colour, cx - 2.5f, cy + 2.5f, cx + 3.5f, cy - 3.5f, 2.2f);
    g.DrawLine(colour, cx - 4.0f, cy + 4.0f, cx - 2.8f, cy + 2.8f, 1.0f);
}

IText Label(float size, const IColor& colour, EAlign align = EAlign::Center) {
    return IText(size, colour, "Roboto-Regular", align, EVAlign::Middle);
}

void DrawButton(Canvas& g, const IRECT& r, const char* text, const IColor& accent, const IColor& textColour) {
    g.FillRoundRect(accent.WithAlpha(kButtonFillAlpha), r, 4.0f);
    g.DrawText(Label(12.0f, textColour), text, r);
}

}  // namespace

PresetManagerControl::PresetManagerControl(const IRECT& bounds, EditorContext& ctx,
                                           std::shared_ptr<PresetSelection> selection)
    : IControl(bounds),
      mCtx(ctx),
      mSelection(std::move(selection)),
      mPanel(kPanelColor),
      mText(kTextColor),
      mDim(kDimColor),
      mAccent(kAccentInitialColor) {
    Hide(true);  // an overlay: only shown on request
}

void PresetManagerControl::Show() {
    Hide(false);
    SetDirty();
}

void PresetManagerControl::Close() {
    Hide(true);
    mUndo.clear();  // what was deleted while the panel was open stays deleted
    mNotice.clear();
    mReplaceName.clear();
    mPress.reset();
}

IRECT PresetManagerControl::PanelRect() const {
    const float cx = mRECT.MW();
    return {cx - kPanelHalfWidth, mRECT.T + 50.0f, cx + kPanelHalfWidth, mRECT.T + 440.0f};
}

IRECT PresetManagerControl::SaveRect() const {
    const IRECT p = PanelRect();
    return {p.L + 12.0f, p.T + 10.0f, p.L + 122.0f, p.T + 34.0f};
}

IRECT PresetManagerControl::FavouritesToggleRect() const {
    const IRECT p = PanelRect();
    return {p.R - 74.0f, p.T + 10.0f, p.R - 12.0f, p.T + 34.0f};
}

IRECT PresetManagerControl::MiddleRect() const {
    return {SaveRect().R + 6.0f, SaveRect().T, FavouritesToggleRect().L - 6.0f, SaveRect().B};
}

IRECT PresetManagerControl::ReplaceRect() const {
    const IRECT f = FavouritesToggleRect();
    return {f.L - 66.0f, f.T, f.L - 4.0f, f.B};
}

IRECT PresetManagerControl::KeepRect() const { return FavouritesToggleRect(); }

IRECT PresetManagerControl::ListRect() const {
    const IRECT p = PanelRect();
    return {p.L + kRowInset, p.T + 46.0f, p.R - kRowInset, p.B - kListBottomMargin};
}

IRECT PresetManagerControl::ScrollTrackRect() const {
    const IRECT p = PanelRect();
    const IRECT list = ListRect();
    return {p.R - kScrollBarGap - kScrollBarWidth, list.T, p.R - kScrollBarGap, list.B};
}

IRECT PresetManagerControl::RowRect(int row) const {
    const IRECT list = ListRect();
    const float y = list.T + kRowHeight * static_cast<float>(row) - mScroll.Offset();
    return {list.L, y, list.R, y + kRowHeight};
}

IRECT PresetManagerControl::HeartRect(int row) const {
    const IRECT r = RowRect(row);
    return {r.L + 6.0f, r.T, r.L + 28.0f, r.B};
}

IRECT PresetManagerControl::RenameRect(int row) const {
    const IRECT r = RowRect(row);
    return {r.R - 44.0f, r.T, r.R - 22.0f, r.B};
}

IRECT PresetManagerControl::DeleteRect(int row) const {
    const IRECT r = RowRect(row);
    return {r.R - 22.0f, r.T, r.R, r.B};
}

void PresetManagerControl::UpdateScrollExtent() {
    const IRECT list = ListRect();
    const float content = kRowHeight * static_cast<float>(mSelection->Items().size());
    mScroll.SetExtent(content, IRECT(list.L, list.T, ScrollTrackRect().R, list.B));
}

bool PresetManagerControl::IsSelected(const PresetListItem& item) const {
    if (item.header) return false;
    if (item.factory) return item.factoryIndex == asInt(mCtx.paramValue(kPreset));
    return item.name == mSelection->CurrentUserName();
}

void PresetManagerControl::Draw(Canvas& g) {
    g.FillRect(kBackdropColor, mRECT);

    const IRECT p = PanelRect();
    g.FillRoundRect(mPanel, p, kPanelRadius);
    g.DrawRoundRect(mAccent.WithAlpha(kOutlineAlpha), p, kPanelRadius, 1.0f);
    DrawSaveRow(g);

    UpdateScrollExtent();
    const PresetLibrary& library = mCtx.presetStore().library();
    const std::vector<PresetListItem>& items = mSelection->Items();
    const IRECT list = ListRect();
    g.Save();
    g.PathClipRegion(list);
    const int first = std::max(0, static_cast<int>(std::floor(mScroll.Offset() / kRowHeight)));
    for (int i = first; i < static_cast<int>(items.size()) && RowRect(i).T < list.B; ++i)
        DrawRow(g, i, items[static_cast<std::size_t>(i)], library);
    g.Restore();

    if (mScroll.CanScroll()) {
        g.FillRoundRect(mDim.WithAlpha(kTrackAlpha), ScrollTrackRect(), kScrollBarWidth / 2.0f);
        g.FillRoundRect(mAccent.WithAlpha(kThumbAlpha), mScroll.Thumb(kScrollBarWidth), kScrollBarWidth / 2.0f);
    }
}

void PresetManagerControl::DrawSaveRow(Canvas& g) {
    if (!mReplaceName.empty()) {
        const IRECT question(SaveRect().L, SaveRect().T, ReplaceRect().L - 4.0f, SaveRect().B);
        const IText style = Label(12.0f, mText, EAlign::Near);
        // Elide the name only, so the question itself always shows.
        const float room = question.W() - g.MeasureText(style, "Replace \u201c\u201d?");
        const std::string text = "Replace \u201c" + ElideToWidth(g, style, mReplaceName, room) + "\u201d?";
        g.DrawText(style, text, question);
        DrawButton(g, ReplaceRect(), "Replace", mAccent, mText);
        DrawButton(g, KeepRect(), "Keep", mAccent, mText);
        return;
    }
    DrawButton(g, SaveRect(), "+ Save current", mAccent, mText);
    const bool favouritesOnly = mSelection->FavouritesOnly();
    g.DrawText(Label(12.0f, favouritesOnly ? mAccent : mDim), favouritesOnly ? "Favs" : "All", FavouritesToggleRect());
    if (!mNotice.empty()) {
        const IText style = Label(11.0f, kNoticeColor);
        g.DrawText(style, ElideToWidth(g, style, mNotice, MiddleRect().W()), MiddleRect());
    } else if (CanUndo()) {
        DrawButton(g, MiddleRect(), "Undo delete", mAccent, mText);
    }
}

void PresetManagerControl::DrawRow(Canvas& g, int row, const PresetListItem& item, const PresetLibrary& library) {
    const IRECT r = RowRect(row);
    if (item.header) {
        g.DrawText(Label(9.0f, mDim, EAlign::Near), item.name, IRECT(r.L + 14.0f, r.T, r.R - 14.0f, r.B));
        return;
    }

    const bool selected = IsSelected(item);
    if (selected) g.FillRoundRect(mAccent.WithAlpha(kSelectedFillAlpha), IRECT(r.L + 6.0f, r.T, r.R - 6.0f, r.B), 4.0f);

    PathHeart(g, r.L + 17.0f, r.MH(), 1.0f);
    if (library.isFavourite(item.name)) {
        g.PathFill(mAccent);
    } else {
        g.PathStroke(mDim, 1.2f, 10.0f);
    }

    const IRECT nameRect(r.L + 32.0f, r.T, item.factory ? r.R - 24.0f : RenameRect(row).L - 2.0f, r.B);
    const IText style = Label(13.0f, selected ? mText : mDim.Brightened(kNameLift), EAlign::Near);
    g.DrawText(style, ElideToWidth(g, style, item.name, nameRect.W()), nameRect);
    if (!item.factory) {
        DrawRenameMark(g, RenameRect(row), mDim);
        DrawDeleteMark(g, DeleteRect(row), mDim);
    }
}

std::optional<PresetManagerControl::Press> PresetManagerControl::PressAt(float x, float y) {
    const IRECT list = ListRect();
    if (!list.Contains(x, y)) return std::nullopt;
    const std::vector<PresetListItem>& items = mSelection->Items();
    const int row = static_cast<int>(std::floor((y - list.T + mScroll.Offset()) / kRowHeight));
    if (row < 0 || row >= static_cast<int>(items.size())) return std::nullopt;
    Press press{items[static_cast<std::size_t>(row)], row, Area::Name};
    if (press.item.header) press.area = Area::None;
    else if (HeartRect(row).Contains(x, y)) press.area = Area::Heart;
    else if (!press.item.factory && DeleteRect(row).Contains(x, y)) press.area = Area::Delete;
    else if (!press.item.factory && RenameRect(row).Contains(x, y)) press.area = Area::Rename;
    return press;
}

void PresetManagerControl::OnMouseDown(float x, float y, const IMouseMod&) {
    mPress.reset();
    mDragDistance = 0.0f;
    mDraggingList = mDraggingThumb = false;
    if (!PanelRect().Contains(x, y)) {
        Close();
        return;
    }
    SetDirty();
    mNotice.clear();
    if (!mReplaceName.empty()) {
        const std::string name = std::move(mReplaceName);
        mReplaceName.clear();
        if (ReplaceRect().Contains(x, y)) SaveNamed(name);
        // Any click in the question's row answers it; elsewhere it just goes away.
        if (SaveRect().Union(KeepRect()).Contains(x, y)) return;
    }
    if (SaveRect().Contains(x, y)) {
        OpenSaveEntry();
        return;
    }
    if (FavouritesToggleRect().Contains(x, y)) {
        mSelection->SetFavouritesOnly(!mSelection->FavouritesOnly());
        mScroll.SetOffset(0.0f);
        return;
    }
    if (MiddleRect().Contains(x, y)) {
        if (!mUndo.empty()) Undo();
        return;
    }
    UpdateScrollExtent();
    if (mScroll.CanScroll() && ScrollTrackRect().GetPadded(2.0f, 0.0f, 0.0f, 0.0f).Contains(x, y)) {
        mDraggingThumb = true;
        mScroll.SetOffset(mScroll.OffsetForThumbCentre(y));
        return;
    }
    mPress = PressAt(x, y);
}

void PresetManagerControl::OnMouseDblClick(float x, float y, const IMouseMod& mod) {
    // The first press may have deleted a row and moved the next one under the pointer.
    if (const auto press = PressAt(x, y); press && press->area == Area::Delete) return;
    OnMouseDown(x, y, mod);
}

void PresetManagerControl::OnMouseDrag(float, float y, float, float dY, const IMouseMod&) {
    if (mDraggingThumb) {
        mScroll.SetOffset(mScroll.OffsetForThumbCentre(y));
        SetDirty();
        return;
    }
    if (!mPress && !mDraggingList) return;
    mDragDistance += dY;
    if (mDraggingList) {
        mScroll.ScrollBy(-dY);
    } else if (std::fabs(mDragDistance) > kDragThreshold) {
        mDraggingList = true;
        mScroll.ScrollBy(-mDragDistance);
        mPress.reset();
    }
    SetDirty();
}

void PresetManagerControl::OnMouseUp(float, float, const IMouseMod&) {
    const std::optional<Press> press = std::move(mPress);
    mPress.reset();
    mDraggingList = mDraggingThumb = false;
    if (press) Act(*press);
}

void PresetManagerControl::OnMouseWheel(float x, float y, const IMouseMod&, float delta) {
    if (!PanelRect().Contains(x, y)) return;
    UpdateScrollExtent();
    mScroll.ScrollBy(-delta * kWheelStep);
    SetDirty();
}

void PresetManagerControl::Act(const Press& press) {
    const PresetListItem& item = press.item;
    switch (press.area) {
        case Area::None:
            return;
        case Area::Heart:
            mCtx.presetStore().toggleFavourite(item.name);
            SetDirty();
            return;
        case Area::Delete:
            Delete(item.name);
            return;
        case Area::Rename:
            OpenRenameEntry(press.row, item.name);
            return;
        case Area::Name:
            if (item.factory) {
                mSelection->LoadFactory(item.factoryIndex);
                Close();
            } else if (mSelection->LoadUser(item.name)) {
                Close();
            } else {
                mNotice = "Could not load";
                SetDirty();
            }
            return;
    }
}

void PresetManagerControl::OpenSaveEntry() {
    IGraphics* ui = GetUI();
    if (ui == nullptr) return;
    // The entry belongs to the IGraphics, which drops it before it drops its controls,
    // so the completion never outlives this panel.
    ui->CreateTextEntry(
        SaveRect(), "",
        [this](const std::string& name) {
            if (name.empty()) return;
            if (!mCtx.presetStore().findPresetFile(name).empty()) {
                mReplaceName = name;  // ask first
                SetDirty();
                return;
            }
            SaveNamed(name);
        },
        Label(14.0f, mText));
}

void PresetManagerControl::SaveNamed(const std::string& name) {
    // The current name changes only once the file is really written.
    if (mCtx.presetStore().saveUserPreset(PresetStore::fromParameters(name, mCtx.parameterEditor()))) {
        mSelection->NoteSaved(name);
        RevealUserRow(name);
    } else {
        mNotice = "Could not save";
    }
    SetDirty();
}

void PresetManagerControl::OpenRenameEntry(int row, const std::string& name) {
    IGraphics* ui = GetUI();
    if (ui == nullptr) return;
    UpdateScrollExtent();
    mScroll.Reveal(kRowHeight * static_cast<float>(row), kRowHeight * static_cast<float>(row + 1));
    const IRECT r = RowRect(row);
    ui->CreateTextEntry(
        IRECT(r.L + 28.0f, r.T + 1.0f, DeleteRect(row).R, r.B - 1.0f), name,
        [this, name](const std::string& to) { Rename(name, to); }, Label(13.0f, mText, EAlign::Near));
}

void PresetManagerControl::Rename(const std::string& from, const std::string& to) {
    if (to.empty() || to == from) return;
    PresetStore& store = mCtx.presetStore();
    if (!store.findPresetFile(to).empty()) {
        mNotice = "Name already in use";
    } else if (store.renameUserPreset(from, to)) {
        mSelection->NoteRenamed(from, to);
        RevealUserRow(to);
    } else {
        mNotice = "Could not rename";
    }
    SetDirty();
}

void PresetManagerControl::Delete(const std::string& name) {
    if (auto deleted = mCtx.presetStore().deleteUserPreset(name)) {
        mUndo.push_back(std::move(*deleted));
        mSelection->NoteDeleted(name);
    } else {
        mNotice = "Could not delete";
    }
    SetDirty();
}

void PresetManagerControl::Undo() {
    if (mCtx.presetStore().restoreUserPreset(mUndo.back())) {
        RevealUserRow(mUndo.back().name);
        mUndo.pop_back();
    } else {
        mNotice = "Could not restore";
    }
    SetDirty();
}

void PresetManagerControl::RevealUserRow(const std::string& name) {
    const std::vector<PresetListItem>& items = mSelection->Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].header || items[i].factory || items[i].name != name) continue;
        UpdateScrollExtent();
        mScroll.Reveal(kRowHeight * static_cast<float>(i), kRowHeight * static_cast<float>(i + 1));
        return;
    }
}

}  // namespace halcyra
