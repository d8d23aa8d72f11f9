#include "editor/PresetManagerControl.h"

#include <algorithm>
#include <filesystem>

#include "editor/EditorColors.h"
#include "editor/EditorContext.h"
#include "editor/HeartPath.h"
#include "graphics/Canvas.h"
#include "graphics/IGraphics.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetStore.h"

namespace halcyra {

namespace {

constexpr float kPanelHalfWidth = 170.0f;
constexpr float kPanelRadius = 10.0f;
constexpr float kRowInset = 8.0f;
constexpr int kOutlineAlpha = 89;
constexpr int kSaveFillAlpha = 45;
constexpr int kSelectedFillAlpha = 30;
// Unselected names are a touch brighter than the other dim texts.
constexpr int kNameLift = 25;

// The "✕" of a user row, drawn as two strokes: the embedded fonts have no glyph
// for it. Sized like a 12-unit glyph.
void DrawDeleteMark(Canvas& g, const IRECT& area, const IColor& colour) {
    constexpr float kHalf = 3.5f;
    const float cx = area.MW();
    const float cy = area.MH();
    g.DrawLine(colour, cx - kHalf, cy - kHalf, cx + kHalf, cy + kHalf, 1.2f);
    g.DrawLine(colour, cx - kHalf, cy + kHalf, cx + kHalf, cy - kHalf, 1.2f);
}

}  // namespace

PresetManagerControl::PresetManagerControl(const IRECT& bounds, EditorContext& ctx,
                                           std::vector<std::string> factoryNames)
    : IControl(bounds),
      mCtx(ctx),
      mFactoryNames(std::move(factoryNames)),
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

IRECT PresetManagerControl::RowRect(int row) const {
    const IRECT p = PanelRect();
    const float y = p.T + 46.0f + kRowHeight * static_cast<float>(row);
    return {p.L + kRowInset, y, p.R - kRowInset, y + kRowHeight};
}

IRECT PresetManagerControl::HeartRect(int row) const {
    const IRECT r = RowRect(row);
    return {r.L + 6.0f, r.T, r.L + 28.0f, r.B};
}

IRECT PresetManagerControl::DeleteRect(int row) const {
    const IRECT r = RowRect(row);
    return {r.R - 22.0f, r.T, r.R, r.B};
}

std::vector<PresetListItem> PresetManagerControl::BuildList() const {
    return BuildList(mCtx.presetStore().readFavourites());
}

std::vector<PresetListItem> PresetManagerControl::BuildList(const std::vector<std::string>& favourites) const {
    return BuildPresetList(mFactoryNames, mCtx.presetStore().listUserPresets(), favourites, mFavouritesOnly);
}

bool PresetManagerControl::IsSelected(const PresetListItem& item) const {
    if (item.header) return false;
    if (item.factory) return item.factoryIndex == asInt(mCtx.paramValue(kPreset));
    return item.name == mCurrentUserName;
}

void PresetManagerControl::Draw(Canvas& g) {
    g.FillRect(kBackdropColor, mRECT);

    const IRECT p = PanelRect();
    g.FillRoundRect(mPanel, p, kPanelRadius);
    g.DrawRoundRect(mAccent.WithAlpha(kOutlineAlpha), p, kPanelRadius, 1.0f);

    const IRECT s = SaveRect();
    g.FillRoundRect(mAccent.WithAlpha(kSaveFillAlpha), s, 4.0f);
    g.DrawText(IText(12.0f, mText, "Roboto-Regular", EAlign::Center, EVAlign::Middle), "+ Save current", s);
    g.DrawText(IText(12.0f, mFavouritesOnly ? mAccent : mDim, "Roboto-Regular", EAlign::Center, EVAlign::Middle),
               mFavouritesOnly ? "Favs" : "All", FavouritesToggleRect());

    // No scrolling: rows past the panel's bottom are drawn over the backdrop.
    // One read of the favourites serves the filter and the hearts alike.
    const std::vector<std::string> favourites = mCtx.presetStore().readFavourites();
    const std::vector<PresetListItem> items = BuildList(favourites);
    for (std::size_t i = 0; i < items.size(); ++i) DrawRow(g, static_cast<int>(i), items[i], favourites);
}

void PresetManagerControl::DrawRow(Canvas& g, int row, const PresetListItem& item,
                                   const std::vector<std::string>& favourites) {
    const IRECT r = RowRect(row);
    if (item.header) {
        g.DrawText(IText(9.0f, mDim, "Roboto-Regular", EAlign::Near, EVAlign::Middle), item.name,
                   IRECT(r.L + 14.0f, r.T, r.R - 14.0f, r.B));
        return;
    }

    const bool selected = IsSelected(item);
    if (selected) g.FillRoundRect(mAccent.WithAlpha(kSelectedFillAlpha), IRECT(r.L + 6.0f, r.T, r.R - 6.0f, r.B), 4.0f);

    PathHeart(g, r.L + 17.0f, r.MH(), 1.0f);
    if (std::find(favourites.begin(), favourites.end(), item.name) != favourites.end()) {
        g.PathFill(mAccent);
    } else {
        g.PathStroke(mDim, 1.2f, 10.0f);
    }

    g.DrawText(IText(13.0f, selected ? mText : mDim.Brightened(kNameLift), "Roboto-Regular", EAlign::Near,
                     EVAlign::Middle),
               item.name, IRECT(r.L + 32.0f, r.T, r.R - 24.0f, r.B));
    if (!item.factory) DrawDeleteMark(g, DeleteRect(row), mDim);
}

void PresetManagerControl::OnMouseDown(float x, float y, const IMouseMod&) {
    if (!PanelRect().Contains(x, y)) {
        Hide(true);
        return;
    }
    if (SaveRect().Contains(x, y)) {
        OpenSaveEntry();
        return;
    }
    if (FavouritesToggleRect().Contains(x, y)) {
        mFavouritesOnly = !mFavouritesOnly;
        SetDirty();
        return;
    }
    const std::vector<PresetListItem> items = BuildList();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (RowRect(static_cast<int>(i)).Contains(x, y)) {
            ClickRow(static_cast<int>(i), items[i], x, y);
            return;
        }
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
            mCtx.presetStore().saveUserPreset(PresetStore::fromParameters(name, mCtx.parameterEditor()));
            mCurrentUserName = name;
            SetDirty();
        },
        IText(14.0f, mText, "Roboto-Regular", EAlign::Center, EVAlign::Middle));
}

void PresetManagerControl::DeleteUserPreset(const std::string& name) {
    PresetStore& store = mCtx.presetStore();
    const std::string path = store.findPresetFile(name);
    if (path.empty()) return;
    std::error_code ec;
    if (!std::filesystem::remove(path, ec) || ec) return;
    // Favourites are kept by name: a factory preset or another file may still carry
    // this one, and deleting a file must not unmark those.
    const bool stillCarried = std::find(mFactoryNames.begin(), mFactoryNames.end(), name) != mFactoryNames.end() ||
                              !store.findPresetFile(name).empty();
    if (!stillCarried && store.isFavourite(name)) store.toggleFavourite(name);
}

void PresetManagerControl::ClickRow(int row, const PresetListItem& item, float x, float y) {
    if (item.header) return;
    PresetStore& store = mCtx.presetStore();
    if (HeartRect(row).Contains(x, y)) {
        store.toggleFavourite(item.name);
        SetDirty();
        return;
    }
    if (item.factory) {
        recallFactoryPreset(item.factoryIndex, mCtx.parameterEditor(), mCtx.commandQueue());
        Hide(true);
        return;
    }
    if (DeleteRect(row).Contains(x, y)) {
        DeleteUserPreset(item.name);
        SetDirty();
        return;
    }
    store.loadUserPreset(item.name, mCtx.parameterEditor());
    mCurrentUserName = item.name;
    Hide(true);
}

}  // namespace halcyra
