#include "editor/EditorLayout.h"

#include <memory>
#include <string>
#include <vector>

#include "dsp/stars/EditorCommandQueue.h"
#include "editor/AbCompareControl.h"
#include "editor/BurgerControl.h"
#include "editor/BurgerMenuControl.h"
#include "editor/EditorColors.h"
#include "editor/EditorContext.h"
#include "editor/FavoriteControl.h"
#include "editor/FoldOutPanel.h"
#include "editor/KnobStyle.h"
#include "editor/PresetListControl.h"
#include "editor/PresetManagerControl.h"
#include "editor/PresetNameControl.h"
#include "editor/PresetSelection.h"
#include "editor/SkyViewControl.h"
#include "editor/SkyViewFeeder.h"
#include "editor/controls/EventsSelectorControl.h"
#include "editor/controls/FoldButtonControl.h"
#include "editor/controls/HeaderBox.h"
#include "editor/controls/HeaderTextButton.h"
#include "editor/controls/MixLockControl.h"
#include "editor/controls/MonitorToggleControl.h"
#include "editor/controls/OutputMeterControl.h"
#include "editor/controls/ResizeGripControl.h"
#include "editor/controls/RespModeToggleControl.h"
#include "editor/controls/ResponseKnobControl.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IVKnobControl.h"
#include "plugin/AbCompareState.h"
#include "plugin/ParameterText.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"

namespace halcyra {

namespace {

constexpr int kInitialSkyPalette = 2;
constexpr int kBurgerMenuTag = 33;
constexpr int kPresetPanelTag = 34;
constexpr int kFoldButtonTag = 36;
constexpr int kFoldOutPanelTag = 37;

struct KnobPlacement {
    IRECT rect;
    int param;
    const char* label;
    int tag;
    const char* tooltip = nullptr;
};

// The knob strip left to right; Response (tag 24) is built separately for its value text.
constexpr KnobPlacement kSkyKnobs[] = {
    {{12, 430, 86, 522}, kSize, "SIZE", 1},
    {{88, 430, 162, 522}, kBrightness, "BRIGHTNESS", 2},
    {{164, 430, 238, 522}, kSpacing, "SPACING", 4},
    {{240, 430, 314, 522}, kWind, "WIND", 3},
};
constexpr KnobPlacement kResponseKnob{{343, 430, 417, 522}, kResponse, "RESPONSE", 24};
constexpr KnobPlacement kStarKnobs[] = {
    {{419, 430, 493, 522}, kRate, "RATE", 21},
    {{495, 430, 569, 522}, kLevel, "LEVEL", 22},
    {{571, 430, 645, 522}, kCharacter, "CHARACTER", 23},
    {{674, 430, 748, 522}, kMix, "MIX", 6},
};
// The panel that folds out over the bottom of the sky, between the Events switch
// and the monitor toggle, with the five controls the strip has no room for.
constexpr IRECT kFoldOutPanelRect{181, 284, 579, 386};
constexpr KnobPlacement kFoldOutKnobs[] = {
    {{191, 289, 265, 381}, kWeather, "WEATHER", 38, "Weather: from a calm to a stormy sky"},
    {{267, 289, 341, 381}, kGust, "GUST", 39, "Gust: how strongly the wind gusts"},
    {{343, 289, 417, 381}, kAttack, "ATTACK", 40, "Attack: how quickly each star swells in"},
    {{419, 289, 493, 381}, kDecay, "DECAY", 41, "Decay: how long each star rings"},
    {{495, 289, 569, 381}, kStarMix, "STAR MIX", 42, "Star Mix: how loud the stars are in the output"},
};

// Pressed or hovered, a knob's caption shows the value as the host prints it, with its unit.
void ShowValueWhileTouched(IVKnobControl& knob, int param) {
    knob.SetReadoutFunction([param](double normalized) {
        return formatParameterValue(param, fromNormalized(param, normalized));
    });
}

IVKnobControl* AttachKnob(IGraphics& g, const KnobPlacement& k, const IVStyle& style) {
    auto* knob = new IVKnobControl(k.rect, k.param, k.label, style, false, false, -135.0f, 135.0f, -135.0f,
                                   EDirection::Vertical, 4.0, 2.0f);
    ShowValueWhileTouched(*knob, k.param);
    if (k.tooltip) knob->SetTooltip(k.tooltip);
    g.AttachControl(knob, k.tag);
    return knob;
}

void AttachCaption(IGraphics& g, const IRECT& rect, const char* text) {
    g.AttachControl(new ITextControl(rect, text, IText(14.0f, kDimColor, "Unbounded", EAlign::Center, EVAlign::Top)));
}

// Callbacks look overlays up by tag when they fire: the buttons are attached before
// the overlays exist, and the lambdas outlive this function.
template <typename Overlay>
Overlay* FindOverlay(IGraphics& g, int tag) {
    return dynamic_cast<Overlay*>(g.GetControlWithTag(tag));
}

void SendStarRequest(EditorContext& ctx, float azimuth, float elevation) {
    // Read at click time: the host may have changed Events since the editor opened.
    const int events = asInt(ctx.paramValue(kEvents));
    if (events == 0) return;  // Auto: the sky decides by itself
    EditorCommand command;
    command.type = EditorCommandQueue::kStarRequest;
    command.a = azimuth;
    command.b = elevation;
    command.c = events;
    ctx.commandQueue().push(command);  // a full queue drops the click, by design
}

}  // namespace

void BuildEditorLayout(IGraphics& g, EditorContext& ctx) {
    g.AttachCornerResizer(20.0f);
    g.AttachPanelBackground(kWindowColor);
    g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
    g.LoadFont("Unbounded", "Unbounded.ttf");

    const float W = static_cast<float>(g.Width());
    const float H = static_cast<float>(g.Height());
    const IColor accent = kAccentInitialColor;

    auto* sky = new SkyViewControl(IRECT(0, 44, W, 388), kInitialSkyPalette);
    sky->SetClickFunction([&ctx](float az, float el) { SendStarRequest(ctx, az, el); });
    g.AttachControl(sky);

    g.AttachControl(new BurgerControl(IRECT(10, 8, 34, 36), kTextColor,
                                      [&g] {
                                          if (auto* menu = FindOverlay<BurgerMenuControl>(g, kBurgerMenuTag))
                                              menu->ShowMenu();
                                      }),
                    26);
    g.AttachControl(new ITextControl(IRECT(42, 0, 168, 44), "Halcyra",
                                     IText(18.0f, kTextColor, "Unbounded", EAlign::Near, EVAlign::Middle)));

    const auto showPresetPanel = [&g] {
        if (auto* panel = FindOverlay<PresetManagerControl>(g, kPresetPanelTag)) panel->Show();
    };
    // What is loaded and the list order, shared by the header and the preset panel.
    std::vector<std::string> factoryNames;
    for (const FactoryPreset& p : kFactoryPresets) factoryNames.emplace_back(p.name);
    auto selection = std::make_shared<PresetSelection>(ctx, std::move(factoryNames));

    g.AttachControl(new HeaderBox(IRECT(186, 8, 212, 36), kHeaderBoxColor));
    g.AttachControl(new PresetListControl(IRECT(186, 8, 212, 36), kTextColor, showPresetPanel), 31);
    g.AttachControl(new HeaderBox(IRECT(222, 8, 478, 36), kHeaderBoxColor));
    g.AttachControl(new FavoriteControl(IRECT(228, 8, 252, 36), ctx, selection, accent, kDimColor), 30);
    g.AttachControl(new PresetNameControl(IRECT(258, 0, 434, 44), selection, kTextColor, showPresetPanel), 29);
    g.AttachControl(new HeaderTextButton(IRECT(442, 8, 460, 36), "\u2039", 20.0f, accent,
                                         [selection] { selection->Step(-1); }));
    g.AttachControl(new HeaderTextButton(IRECT(458, 8, 476, 36), "\u203a", 20.0f, accent,
                                         [selection] { selection->Step(+1); }));
    g.AttachControl(new HeaderBox(IRECT(488, 8, 546, 36), kHeaderBoxColor));
    g.AttachControl(new AbCompareControl(IRECT(488, 8, 546, 36), ctx, accent, kDimColor), 27);
    g.AttachControl(new HeaderTextButton(IRECT(552, 8, 584, 36), "A>B", 12.0f, kTextColor,
                                         [&ctx] { ctx.abCompare().copyAToB(ctx.parameterEditor()); }),
                    32);

    ctx.abCompare().setUp(ctx.parameterEditor());
    // Built now, attached last, so that when shown they cover everything else.
    auto burgerMenu = std::make_unique<BurgerMenuControl>(g.GetBounds(), ctx);
    burgerMenu->Hide(true);
    auto presetPanel = std::make_unique<PresetManagerControl>(g.GetBounds(), ctx, selection);
    presetPanel->Hide(true);

    g.AttachControl(new OutputMeterControl(IRECT(W - 86, 11, W - 14, 33), kOutput, accent, kTextColor, kDimColor,
                                           kFrameColor),
                    20);

    g.EnableTooltips(true);
    auto* monitor = new MonitorToggleControl(IRECT(W - 62, 354, W - 14, 378), kMonitor, accent, kTextColor, kDimColor,
                                             kFrameColor);
    monitor->SetTooltip("Headphones  /  Speakers");
    g.AttachControl(monitor, 8);
    // Events decides what a click in the sky does, so it sits in the sky, opposite the monitor toggle.
    auto* events = new EventsSelectorControl(IRECT(14, 354, 146, 378), kEvents, accent, kTextColor, kDimColor,
                                             kFrameColor);
    events->SetTooltip("Sky clicks: Auto lets the sky place stars; Star or Comet places one where you click");
    g.AttachControl(events, SkyViewFeeder::kEventsSelectorTag);

    AttachCaption(g, IRECT(103, 396, 223, 414), "SKY");
    AttachCaption(g, IRECT(434, 396, 554, 414), "STARS");
    AttachCaption(g, IRECT(671, 396, 751, 414), "OUT");

    const IVStyle knobStyle = MakeKnobStyle(accent);
    for (const KnobPlacement& k : kSkyKnobs) AttachKnob(g, k, knobStyle);
    auto* response =
        new ResponseKnobControl(kResponseKnob.rect, kResponseKnob.param, kResponseKnob.label, knobStyle, ctx);
    g.AttachControl(response, kResponseKnob.tag);
    for (const KnobPlacement& k : kStarKnobs) AttachKnob(g, k, knobStyle);

    g.AttachControl(new RespModeToggleControl(IRECT(333, 523, 427, 543), kResponseMode, accent, kTextColor, kDimColor,
                                              kFrameColor),
                    25);
    g.AttachControl(new MixLockControl(IRECT(695, 522, 727, 544), kMixLock, accent, kDimColor), 7);
    g.AttachControl(new ResizeGripControl(IRECT(W - 26, H - 26, W, H), kDimColor));

    // Folded at first; the button between the SKY and STARS captions opens it.
    auto* foldOut = new FoldOutPanel(kFoldOutPanelRect, accent);
    g.AttachControl(foldOut, kFoldOutPanelTag);
    for (const KnobPlacement& k : kFoldOutKnobs) foldOut->AddMember(AttachKnob(g, k, knobStyle));
    auto* fold = new FoldButtonControl(
        IRECT(344, 396, 416, 414), kTextColor, kDimColor, [foldOut] { return foldOut->IsOpen(); },
        [foldOut] { foldOut->SetOpen(!foldOut->IsOpen()); });
    fold->SetTooltip("More controls: Weather, Gust, Attack, Decay, Star Mix");
    g.AttachControl(fold, kFoldButtonTag);

    g.AttachControl(burgerMenu.release(), kBurgerMenuTag);
    g.AttachControl(presetPanel.release(), kPresetPanelTag);
    g.AttachControl(new SkyViewFeeder(ctx, *sky));
}

}  // namespace halcyra
