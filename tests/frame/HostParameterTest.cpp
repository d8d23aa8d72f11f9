// The parameters as a host lists, automates and types them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "FrameTestSupport.h"
#include "pluginterfaces/vst/ivstunits.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace halcyra::test;

namespace {

std::string narrow(const char16* s) {
    std::string out;
    for (int i = 0; i < 128 && s[i]; ++i) out += static_cast<char>(s[i]);
    return out;
}

std::string text(halcyra::host::PluginInstance& p, ParamID id, double plain) {
    auto* c = p.controller();
    return p.valueText(id, c->plainParamToNormalized(id, plain));
}

// Parses text as a host field would and returns the plain value, or NaN when refused.
double parse(halcyra::host::PluginInstance& p, ParamID id, const std::u16string& typed) {
    String128 buffer{};
    for (std::size_t i = 0; i < typed.size() && i < 127; ++i) buffer[i] = static_cast<char16>(typed[i]);
    ParamValue normalized = -1.0;
    if (p.controller()->getParamValueByString(id, buffer, normalized) != kResultOk) return std::nan("");
    return p.controller()->normalizedParamToPlain(id, normalized);
}

TEST(HostParameters, ListedWithUnitsStepsAndAutomationFlags) {
    auto p = makeInstance();
    ASSERT_EQ(p->parameterCount(), 21);
    const char* names[] = {"Weather", "Mix",   "Size",      "Brightness", "Wind",     "Spacing",       "Gust",
                           "Preset",  "Monitor", "Mix Lock", "Events",    "Output",   "Rate",          "Level",
                           "Character", "Response", "Response Mode", "Attack", "Decay", "Star Mix",    "Bypass"};
    for (int i = 0; i < 21; ++i) {
        const ParameterInfo info = p->parameterInfo(i);
        EXPECT_EQ(info.id, static_cast<ParamID>(i));
        EXPECT_EQ(narrow(info.title), names[i]);
        EXPECT_EQ(info.unitId, kRootUnitId);
        const bool notAutomatable = i == 9 || i == 10 || i == 16;
        EXPECT_EQ((info.flags & ParameterInfo::kCanAutomate) == 0, notAutomatable) << names[i];
    }
    EXPECT_EQ(p->parameterInfo(7).stepCount, 7);
    EXPECT_TRUE(p->parameterInfo(7).flags & ParameterInfo::kIsList);
    EXPECT_EQ(p->parameterInfo(10).stepCount, 2);
    EXPECT_EQ(p->parameterInfo(9).stepCount, 1);   // switch
    EXPECT_FALSE(p->parameterInfo(9).flags & ParameterInfo::kIsList);
    EXPECT_EQ(p->parameterInfo(1).stepCount, 0);   // continuous
    EXPECT_EQ(narrow(p->parameterInfo(1).units), "%");
    EXPECT_EQ(narrow(p->parameterInfo(11).units), "dB");
    EXPECT_EQ(narrow(p->parameterInfo(18).units), "s");
    EXPECT_DOUBLE_EQ(p->parameterInfo(18).defaultNormalizedValue, (1.6 - 0.3) / 3.7);
    const ParameterInfo bypass = p->parameterInfo(20);
    EXPECT_TRUE(bypass.flags & ParameterInfo::kIsBypass);
    EXPECT_EQ(bypass.stepCount, 1);
    ParameterInfo none{};
    EXPECT_NE(p->controller()->getParameterInfo(21, none), kResultOk);
    EXPECT_NE(p->controller()->getParameterInfo(-1, none), kResultOk);

    // Hosts that list only automatable parameters list the other three through host editing.
    IEditControllerHostEditing* hostEditing = nullptr;
    ASSERT_EQ(p->controller()->queryInterface(IEditControllerHostEditing::iid, reinterpret_cast<void**>(&hostEditing)),
              kResultOk);
    EXPECT_EQ(hostEditing->beginEditFromHost(10), kResultOk);
    EXPECT_EQ(hostEditing->endEditFromHost(10), kResultOk);
    EXPECT_NE(hostEditing->beginEditFromHost(99), kResultOk);
    hostEditing->release();

    IUnitInfo* units = nullptr;
    ASSERT_EQ(p->component()->queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units)), kResultOk);
    EXPECT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    EXPECT_EQ(units->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_NE(units->getUnitInfo(5, unit), kResultOk);
    units->release();
}

TEST(HostParameters, ValuesShowWithDecimalsFromTheStepAndLeaveTheUnitToTheUnitsField) {
    auto p = makeInstance();
    EXPECT_EQ(text(*p, 1, 100.0), "100.0");
    EXPECT_EQ(text(*p, 11, -3.0), "-3.0");
    EXPECT_EQ(text(*p, 11, -0.02), "0.0");
    EXPECT_EQ(text(*p, 18, 1.6), "1.60");
    EXPECT_EQ(text(*p, 0, 0.5), "0.500");
    EXPECT_EQ(text(*p, 17, 30.0), "30");
    EXPECT_EQ(text(*p, 10, 2.0), "Comet");
    EXPECT_EQ(text(*p, 9, 1.0), "Locked");
    EXPECT_EQ(text(*p, 7, 7.0), "Cinematic Overcast");
    EXPECT_EQ(text(*p, 16, 1.0), "beats");
    EXPECT_EQ(p->valueText(20, 1.0), "On");
    // A host printing text and units together shows the unit exactly once.
    for (int id = 0; id < 21; ++id) {
        const std::string units = narrow(p->parameterInfo(id).units);
        if (units.empty()) continue;
        for (double n : {0.0, 0.5, 1.0})
            EXPECT_EQ(p->valueText(static_cast<ParamID>(id), n).find(units), std::string::npos) << id;
    }
}

TEST(HostParameters, TypedTextIsParsedBackWithOrWithoutTheUnit) {
    auto p = makeInstance();
    EXPECT_DOUBLE_EQ(parse(*p, 11, u"-3.0 dB"), -3.0);
    EXPECT_DOUBLE_EQ(parse(*p, 11, u" -3dB "), -3.0);
    EXPECT_DOUBLE_EQ(parse(*p, 11, u"\u22126"), -6.0);  // typographic minus
    EXPECT_DOUBLE_EQ(parse(*p, 11, u"40"), 12.0);        // clamped like any host value
    EXPECT_DOUBLE_EQ(parse(*p, 1, u"55.5 %"), 55.5);
    EXPECT_DOUBLE_EQ(parse(*p, 18, u"2.5s"), 2.5);
    EXPECT_EQ(parse(*p, 10, u"comet"), 2.0);
    EXPECT_EQ(parse(*p, 10, u"STAR"), 1.0);
    EXPECT_EQ(parse(*p, 10, u"1.6"), 2.0);
    EXPECT_EQ(parse(*p, 9, u"unlocked"), 0.0);
    EXPECT_EQ(parse(*p, 20, u"on"), 1.0);
    for (const std::u16string bad : {u"", u"loud", u"3 kHz", u"nan", u"inf", u"1e999", u"--3", u"Planet"})
        EXPECT_TRUE(std::isnan(parse(*p, bad == u"Planet" ? 10 : 11, bad)));
    EXPECT_TRUE(std::isnan(parse(*p, 99, u"1")));

    // Every displayed text reads back to the value it shows.
    for (int id = 0; id < 21; ++id) {
        for (double n : {0.0, 0.25, 0.5, 1.0}) {
            const std::string shown = p->valueText(static_cast<ParamID>(id), n);
            const std::u16string wide(shown.begin(), shown.end());
            const double back = parse(*p, static_cast<ParamID>(id), wide);
            ASSERT_FALSE(std::isnan(back)) << id << " '" << shown << "'";
            EXPECT_EQ(text(*p, static_cast<ParamID>(id), back), shown) << id;
        }
    }
}

TEST(HostParameters, NormalisationIsLinearSteppedAndClamped) {
    auto p = makeInstance();
    auto* c = p->controller();
    EXPECT_DOUBLE_EQ(c->normalizedParamToPlain(11, 0.5), -6.0);
    EXPECT_DOUBLE_EQ(c->plainParamToNormalized(11, -6.0), 0.5);
    EXPECT_DOUBLE_EQ(c->normalizedParamToPlain(10, 0.6), 1.0);  // snapped to "Star"
    EXPECT_DOUBLE_EQ(c->normalizedParamToPlain(18, 2.0), 4.0);
    EXPECT_EQ(c->setParamNormalized(10, 0.8), kResultOk);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(10), 1.0);
    EXPECT_EQ(c->setParamNormalized(1, 1.7), kResultOk);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(1), 1.0);
    EXPECT_NE(c->setParamNormalized(77, 0.5), kResultOk);
}

}  // namespace
