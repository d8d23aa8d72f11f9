#include "editor/PresetSelection.h"

#include <cmath>

#include "editor/EditorContext.h"
#include "plugin/ParameterEditor.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetKeys.h"
#include "presets/PresetStore.h"

namespace halcyra {

namespace {

// Passes every change on and remembers which parameters a load touched.
class TouchRecorder : public ParameterEditor {
public:
    explicit TouchRecorder(ParameterEditor& inner) : mInner(inner) {}
    double value(int index) const override { return mInner.value(index); }
    double setFromPlugin(int index, double value) override {
        touched.push_back(index);
        return mInner.setFromPlugin(index, value);
    }
    std::vector<int> touched;

private:
    ParameterEditor& mInner;
};

// Values count as equal within a millionth of the parameter's range: the host may
// hand back a value that went through its own normalised float.
bool differs(int param, double a, double b) { return std::fabs(toNormalized(param, a) - toNormalized(param, b)) > 1e-6; }

}  // namespace

PresetSelection::PresetSelection(EditorContext& ctx, std::vector<std::string> factoryNames)
    : mCtx(ctx), mFactoryNames(std::move(factoryNames)) {}

const std::vector<PresetListItem>& PresetSelection::Items() {
    const PresetLibrary& library = mCtx.presetStore().library();
    if (!mItemsValid || mItemsRevision != library.revision || mItemsFilter != mFavouritesOnly) {
        mItems = BuildPresetList(mFactoryNames, library.userNames, library.favourites, mFavouritesOnly);
        mItemsRevision = library.revision;
        mItemsFilter = mFavouritesOnly;
        mItemsValid = true;
    }
    return mItems;
}

void PresetSelection::LoadFactory(int index) {
    if (recallFactoryPreset(index, mCtx.parameterEditor(), mCtx.commandQueue())) mUserLoaded = false;
}

bool PresetSelection::LoadUser(const std::string& name) {
    TouchRecorder recorder(mCtx.parameterEditor());
    if (!mCtx.presetStore().loadUserPreset(name, recorder)) return false;
    std::vector<std::pair<int, double>> values;
    for (int param : recorder.touched) values.emplace_back(param, recorder.value(param));
    RememberUserPreset(name, std::move(values));
    return true;
}

void PresetSelection::NoteSaved(const std::string& name) {
    std::vector<std::pair<int, double>> values;
    for (const PresetKey& k : kPresetKeys) values.emplace_back(k.param, mCtx.paramValue(k.param));
    RememberUserPreset(name, std::move(values));
}

void PresetSelection::RememberUserPreset(const std::string& name, std::vector<std::pair<int, double>> values) {
    mCurrentUserName = name;
    mUserLoaded = true;
    mPresetAtUserLoad = mCtx.paramValue(kPreset);
    mUserValues = std::move(values);
}

void PresetSelection::NoteRenamed(const std::string& from, const std::string& to) {
    if (mCurrentUserName == from) mCurrentUserName = to;
}

void PresetSelection::NoteDeleted(const std::string& name) {
    if (mCurrentUserName != name) return;
    mCurrentUserName.clear();
    mUserLoaded = false;
}

bool PresetSelection::ShowsUserPreset() const {
    return mUserLoaded && mCtx.paramValue(kPreset) == mPresetAtUserLoad;
}

std::string PresetSelection::ShownName() const {
    if (ShowsUserPreset()) return mCurrentUserName;
    return std::string(currentFactoryPresetName(mCtx.parameterEditor()));
}

bool PresetSelection::IsModified() const {
    if (ShowsUserPreset()) {
        for (const auto& [param, value] : mUserValues)
            if (differs(param, value, mCtx.paramValue(param))) return true;
        return false;
    }
    const int index = findFactoryPreset(currentFactoryPresetName(mCtx.parameterEditor()));
    if (index < 0) return false;
    const FactoryPreset& p = kFactoryPresets[static_cast<std::size_t>(index)];
    const std::pair<int, float> stored[] = {{kWeather, p.weather}, {kSize, p.size},         {kBrightness, p.brightness},
                                            {kWind, p.wind},       {kSpacing, p.spacing},   {kGust, p.gust},
                                            {kRate, p.rate},       {kLevel, p.level},       {kCharacter, p.character},
                                            {kResponse, p.response}, {kMix, p.mix}};
    // A locked Mix is not the preset's to set, so it cannot make the sound differ.
    const bool mixLocked = mCtx.paramValue(kMixLock) >= 0.5;
    for (const auto& [param, value] : stored) {
        if (param == kMix && mixLocked) continue;
        if (differs(param, value, mCtx.paramValue(param))) return true;
    }
    return false;
}

int PresetSelection::CurrentPosition(const std::vector<PresetListItem>& all) const {
    const bool user = ShowsUserPreset();
    const std::string name = ShownName();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (!all[i].header && all[i].factory != user && all[i].name == name) return static_cast<int>(i);
    return -1;
}

void PresetSelection::Step(int delta) {
    const PresetLibrary& library = mCtx.presetStore().library();
    const std::vector<PresetListItem> all = BuildPresetList(mFactoryNames, library.userNames, {}, false);
    const int n = static_cast<int>(all.size());
    const int from = CurrentPosition(all);
    int at = from < 0 ? (delta > 0 ? -1 : 0) : from;
    for (int tries = 0; tries < n; ++tries) {
        at = ((at + delta) % n + n) % n;
        const PresetListItem& item = all[static_cast<std::size_t>(at)];
        if (item.header || (mFavouritesOnly && !library.isFavourite(item.name))) continue;
        if (item.factory) LoadFactory(item.factoryIndex);
        else LoadUser(item.name);
        return;
    }
}

}  // namespace halcyra
