// What a host sees before it makes an instance: exports, factory, class description.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FrameTestSupport.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstunits.h"

using namespace Steinberg;
using halcyra::test::sharedModule;

namespace {

using GetFactoryFn = IPluginFactory* (*)();

std::string fromWide(const char16* s, int max) {
    std::string out;
    for (int i = 0; i < max && s[i]; ++i) out += static_cast<char>(s[i]);
    return out;
}

TEST(ModuleIdentity, ExportsEveryEntryPointAndCountsUses) {
    for (const char* name : {"GetPluginFactory", "InitDll", "ExitDll", "ModuleEntry", "ModuleExit"})
        EXPECT_NE(sharedModule().symbol(name), nullptr) << name;
    auto initDll = reinterpret_cast<bool (*)()>(sharedModule().symbol("InitDll"));
    auto exitDll = reinterpret_cast<bool (*)()>(sharedModule().symbol("ExitDll"));
    // The loader entered once already; a second pair balances out and leaves it usable.
    EXPECT_TRUE(initDll());
    EXPECT_TRUE(exitDll());
    EXPECT_EQ(sharedModule().factory()->countClasses(), 1);
}

TEST(ModuleIdentity, FactoryIsOneObjectWithOneClass) {
    auto get = reinterpret_cast<GetFactoryFn>(sharedModule().symbol("GetPluginFactory"));
    IPluginFactory* a = get();
    IPluginFactory* b = get();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, sharedModule().factory());
    EXPECT_EQ(a->countClasses(), 1);

    PFactoryInfo info{};
    ASSERT_EQ(a->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "tavimoro");
    EXPECT_EQ(info.flags, 16);
    EXPECT_EQ(std::string(info.url).rfind("https://", 0), 0u);
    EXPECT_NE(std::string(info.email).find('@'), std::string::npos);
    a->release();
    b->release();
}

TEST(ModuleIdentity, ClassDescriptionInEveryForm) {
    IPluginFactory* factory = sharedModule().factory();
    const unsigned char expectedId[16] = {0xF2, 0xAE, 0xE7, 0x0D, 0x00, 0xDE, 0x4F, 0x4E,
                                          'T',  'v',  'm',  'r',  'H',  'l',  'c',  'y'};
    PClassInfo info{};
    ASSERT_EQ(factory->getClassInfo(0, &info), kResultOk);
    EXPECT_EQ(std::memcmp(info.cid, expectedId, 16), 0);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.name, "Halcyra");
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_NE(factory->getClassInfo(1, &info), kResultOk);

    IPluginFactory2* f2 = nullptr;
    ASSERT_EQ(factory->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&f2)), kResultOk);
    PClassInfo2 info2{};
    ASSERT_EQ(f2->getClassInfo2(0, &info2), kResultOk);
    EXPECT_EQ(std::memcmp(info2.cid, expectedId, 16), 0);
    EXPECT_STREQ(info2.subCategories, "Fx");
    EXPECT_STREQ(info2.version, "1.0.18");
    EXPECT_STREQ(info2.sdkVersion, "VST 3.8.0");
    EXPECT_STREQ(info2.vendor, "");
    EXPECT_EQ(info2.classFlags, 2u);
    f2->release();

    IPluginFactory3* f3 = nullptr;
    ASSERT_EQ(factory->queryInterface(IPluginFactory3::iid, reinterpret_cast<void**>(&f3)), kResultOk);
    PClassInfoW infoW{};
    ASSERT_EQ(f3->getClassInfoUnicode(0, &infoW), kResultOk);
    EXPECT_EQ(fromWide(infoW.name, PClassInfo::kNameSize), "Halcyra");
    EXPECT_EQ(fromWide(infoW.version, PClassInfo2::kVersionSize), "1.0.18");
    EXPECT_EQ(fromWide(infoW.sdkVersion, PClassInfo2::kVersionSize), "VST 3.8.0");
    EXPECT_STREQ(infoW.category, "Audio Module Class");
    EXPECT_STREQ(infoW.subCategories, "Fx");
    EXPECT_EQ(f3->setHostContext(nullptr), kResultOk);
    f3->release();
}

TEST(ModuleIdentity, UnknownClassIdMakesNothing) {
    TUID other{};
    void* obj = reinterpret_cast<void*>(1);
    EXPECT_NE(sharedModule().factory()->createInstance(other, FUnknown::iid, &obj), kResultOk);
    EXPECT_EQ(obj, nullptr);
}

TEST(ModuleIdentity, InstanceAnswersEveryInterfaceOfASingleComponent) {
    auto instance = halcyra::test::makeInstance();
    ASSERT_NE(instance->controller(), nullptr);
    ASSERT_NE(instance->processor(), nullptr);
    void* obj = nullptr;
    for (const auto& iid : {Vst::IConnectionPoint::iid, Vst::IProcessContextRequirements::iid, Vst::IUnitInfo::iid,
                            Vst::IEditController::iid, Vst::IComponent::iid}) {
        obj = nullptr;
        EXPECT_EQ(instance->component()->queryInterface(iid, &obj), kResultOk);
        ASSERT_NE(obj, nullptr);
        static_cast<FUnknown*>(obj)->release();
    }
    TUID controllerId{};
    EXPECT_EQ(instance->component()->getControllerClassId(controllerId), kResultFalse);
    Vst::IProcessContextRequirements* req = nullptr;
    instance->component()->queryInterface(Vst::IProcessContextRequirements::iid, reinterpret_cast<void**>(&req));
    EXPECT_TRUE(req->getProcessContextRequirements() & Vst::IProcessContextRequirements::kNeedTempo);
    req->release();
    EXPECT_EQ(instance->controller()->createView("no-such-view"), nullptr);
}

}  // namespace
