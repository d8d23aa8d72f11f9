// What a host sees before it makes an instance: the module file's links and exports,
// the bundle's module info, the factory and the class description.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

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

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the dynamic loader sees of a 64-bit ELF file: the libraries it must find
// (DT_NEEDED) and the symbols it offers (defined, non-local entries of .dynsym).
struct DynamicView {
    std::set<std::string> needed, exported;
};

DynamicView readDynamicView(const std::vector<char>& file) {
    DynamicView view;
    const auto at = [&](std::uint64_t offset, std::uint64_t size) -> const char* {
        if (offset > file.size() || size > file.size() - offset) throw std::runtime_error("truncated ELF file");
        return file.data() + offset;
    };
    Elf64_Ehdr eh;
    std::memcpy(&eh, at(0, sizeof eh), sizeof eh);
    if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64)
        throw std::runtime_error("not a 64-bit ELF file");
    const auto section = [&](unsigned index) {
        Elf64_Shdr sh;
        std::memcpy(&sh, at(eh.e_shoff + std::uint64_t(index) * eh.e_shentsize, sizeof sh), sizeof sh);
        return sh;
    };
    for (unsigned i = 0; i < eh.e_shnum; ++i) {
        const Elf64_Shdr sh = section(i);
        if (sh.sh_type != SHT_DYNAMIC && sh.sh_type != SHT_DYNSYM) continue;
        const Elf64_Shdr strings = section(sh.sh_link);
        const auto text = [&](std::uint64_t offset) {
            const char* s = at(strings.sh_offset + offset, 1);
            return std::string(s, strnlen(s, strings.sh_offset + strings.sh_size - (s - file.data())));
        };
        if (sh.sh_type == SHT_DYNAMIC) {
            for (std::uint64_t off = 0; off + sizeof(Elf64_Dyn) <= sh.sh_size; off += sizeof(Elf64_Dyn)) {
                Elf64_Dyn d;
                std::memcpy(&d, at(sh.sh_offset + off, sizeof d), sizeof d);
                if (d.d_tag == DT_NEEDED) view.needed.insert(text(d.d_un.d_val));
            }
        } else {
            for (std::uint64_t off = sizeof(Elf64_Sym); off + sizeof(Elf64_Sym) <= sh.sh_size; off += sizeof(Elf64_Sym)) {
                Elf64_Sym sym;
                std::memcpy(&sym, at(sh.sh_offset + off, sizeof sym), sizeof sym);
                if (sym.st_shndx != SHN_UNDEF && ELF64_ST_BIND(sym.st_info) != STB_LOCAL) view.exported.insert(text(sym.st_name));
            }
        }
    }
    return view;
}

TEST(ModuleIdentity, NeedsOnlyWhatEveryDesktopHasAndExportsOnlyItsEntryPoints) {
    const std::string path = std::string(HALCYRA_BUNDLE_PATH) + "/Contents/x86_64-linux/Halcyra.so";
    const DynamicView view = readDynamicView(fileBytes(path));
    // The C library and its loader, X11 and the GL dispatch libraries; everything else
    // (libmysofa, FFTW, zlib, the C++ runtime) is linked in.
    const std::set<std::string> allowed = {
        "libc.so.6",     "libm.so.6",      "libdl.so.2",      "libpthread.so.0", "librt.so.1",
        "ld-linux-x86-64.so.2", "libX11.so.6", "libxcb.so.1", "libX11-xcb.so.1", "libGL.so.1",
        "libGLX.so.0",   "libOpenGL.so.0", "libEGL.so.1"};
    EXPECT_TRUE(view.needed.count("libc.so.6")) << "no dynamic section read from " << path;
    for (const std::string& lib : view.needed) EXPECT_TRUE(allowed.count(lib)) << path << " needs " << lib;
    EXPECT_EQ(view.exported,
              (std::set<std::string>{"GetPluginFactory", "InitDll", "ExitDll", "ModuleEntry", "ModuleExit"}));
}

std::string hex(const char* bytes, int n) {
    std::string out;
    char two[3];
    for (int i = 0; i < n; ++i) {
        std::snprintf(two, sizeof two, "%02X", static_cast<unsigned char>(bytes[i]));
        out += two;
    }
    return out;
}

TEST(ModuleIdentity, ModuleInfoFileDescribesWhatTheFactoryReports) {
    const std::vector<char> text = fileBytes(std::string(HALCYRA_BUNDLE_PATH) + "/Contents/Resources/moduleinfo.json");
    const auto info = nlohmann::json::parse(text.begin(), text.end());

    IPluginFactory2* factory = nullptr;
    ASSERT_EQ(sharedModule().factory()->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory)),
              kResultOk);
    PFactoryInfo fi{};
    PClassInfo2 ci{};
    ASSERT_EQ(factory->getFactoryInfo(&fi), kResultOk);
    ASSERT_EQ(factory->getClassInfo2(0, &ci), kResultOk);

    EXPECT_EQ(info.at("Name"), ci.name);
    EXPECT_EQ(info.at("Version"), ci.version);
    const auto& f = info.at("Factory Info");
    EXPECT_EQ(f.at("Vendor"), fi.vendor);
    EXPECT_EQ(f.at("URL"), fi.url);
    EXPECT_EQ(f.at("E-Mail"), fi.email);
    EXPECT_EQ(f.at("Flags").at("Unicode"), (fi.flags & PFactoryInfo::kUnicode) != 0);
    EXPECT_EQ(f.at("Flags").at("Classes Discardable"), (fi.flags & PFactoryInfo::kClassesDiscardable) != 0);
    EXPECT_EQ(f.at("Flags").at("Component Non Discardable"), (fi.flags & PFactoryInfo::kComponentNonDiscardable) != 0);
    EXPECT_EQ(info.at("Compatibility"), nlohmann::json::array());

    ASSERT_EQ(info.at("Classes").size(), static_cast<std::size_t>(factory->countClasses()));
    const auto& c = info.at("Classes").at(0);
    EXPECT_EQ(c.at("CID"), hex(ci.cid, 16));
    EXPECT_EQ(c.at("Category"), ci.category);
    EXPECT_EQ(c.at("Name"), ci.name);
    EXPECT_EQ(c.at("Vendor"), ci.vendor);
    EXPECT_EQ(c.at("Version"), ci.version);
    EXPECT_EQ(c.at("SDKVersion"), ci.sdkVersion);
    std::string subCategories;
    for (const auto& sub : c.at("Sub Categories")) {
        if (!subCategories.empty()) subCategories += '|';
        subCategories += sub.get<std::string>();
    }
    EXPECT_EQ(subCategories, ci.subCategories);
    EXPECT_EQ(c.at("Class Flags"), ci.classFlags);
    EXPECT_EQ(c.at("Cardinality"), ci.cardinality);
    EXPECT_EQ(c.at("Snapshots"), nlohmann::json::array());
    factory->release();
}

TEST(ModuleIdentity, EntryPointsCountUses) {
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
