#include "frame/HalcyraFactory.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "frame/EntryGuard.h"
#include "frame/HalcyraEffect.h"
#include "frame/Identity.h"
#include "frame/Utf16Text.h"
#include "pluginterfaces/vst/ivstcomponent.h"

namespace halcyra::vst3 {

using namespace Steinberg;

namespace {

std::mutex gFactoryMutex;
class HalcyraFactory;
HalcyraFactory* gFactory = nullptr;  // guarded by gFactoryMutex

const TUID& classId() {
    static const TUID id = INLINE_UID(identity::kClassIdWords[0], identity::kClassIdWords[1],
                                      identity::kClassIdWords[2], identity::kClassIdWords[3]);
    return id;
}

class HalcyraFactory final : public IPluginFactory3 {
public:
    HalcyraFactory() = default;
    virtual ~HalcyraFactory() = default;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
        if (!obj) return kInvalidArgument;
        if (FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
            FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
            addRef();
            *obj = static_cast<IPluginFactory3*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return ++refs_; }
    uint32 PLUGIN_API release() override {
        std::lock_guard<std::mutex> lock(gFactoryMutex);
        const uint32 left = --refs_;
        if (left == 0) {
            if (gFactory == this) gFactory = nullptr;
            delete this;
        }
        return left;
    }

    tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override {
        if (!info) return kInvalidArgument;
        copyToAscii(identity::kVendor, info->vendor, PFactoryInfo::kNameSize);
        copyToAscii(identity::kWebsiteUrl, info->url, PFactoryInfo::kURLSize);
        copyToAscii(identity::kEmail, info->email, PFactoryInfo::kEmailSize);
        info->flags = identity::kFactoryFlags;
        return kResultOk;
    }

    int32 PLUGIN_API countClasses() override { return 1; }

    tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override {
        if (index != 0 || !info) return kInvalidArgument;
        std::memcpy(info->cid, classId(), sizeof(TUID));
        info->cardinality = identity::kCardinality;
        copyToAscii(identity::kCategory, info->category, PClassInfo::kCategorySize);
        copyToAscii(identity::kPluginName, info->name, PClassInfo::kNameSize);
        return kResultOk;
    }

    tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override {
        if (index != 0 || !info) return kInvalidArgument;
        std::memcpy(info->cid, classId(), sizeof(TUID));
        info->cardinality = identity::kCardinality;
        copyToAscii(identity::kCategory, info->category, PClassInfo::kCategorySize);
        copyToAscii(identity::kPluginName, info->name, PClassInfo::kNameSize);
        info->classFlags = static_cast<uint32>(identity::kClassFlags);
        copyToAscii(identity::kSubCategories, info->subCategories, PClassInfo2::kSubCategoriesSize);
        copyToAscii(identity::kClassVendor, info->vendor, PClassInfo2::kVendorSize);
        copyToAscii(identity::kVersion, info->version, PClassInfo2::kVersionSize);
        copyToAscii(identity::kSdkVersion, info->sdkVersion, PClassInfo2::kVersionSize);
        return kResultOk;
    }

    tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) override {
        if (index != 0 || !info) return kInvalidArgument;
        std::memcpy(info->cid, classId(), sizeof(TUID));
        info->cardinality = identity::kCardinality;
        copyToAscii(identity::kCategory, info->category, PClassInfo::kCategorySize);
        copyToUtf16(identity::kPluginName, info->name, PClassInfo::kNameSize);
        info->classFlags = static_cast<uint32>(identity::kClassFlags);
        copyToAscii(identity::kSubCategories, info->subCategories, PClassInfo2::kSubCategoriesSize);
        copyToUtf16(identity::kClassVendor, info->vendor, PClassInfo2::kVendorSize);
        copyToUtf16(identity::kVersion, info->version, PClassInfo2::kVersionSize);
        copyToUtf16(identity::kSdkVersion, info->sdkVersion, PClassInfo2::kVersionSize);
        return kResultOk;
    }

    tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override {
        if (!obj) return kInvalidArgument;
        *obj = nullptr;
        if (!cid || !iid || !FUnknownPrivate::iidEqual(cid, classId())) return kNoInterface;
        return guarded([&]() -> tresult {
            FUnknown* instance = nullptr;
            {
                // Instances are built one at a time: the audio side's set-up is not
                // written for concurrent construction.
                std::lock_guard<std::mutex> lock(gFactoryMutex);
                instance = HalcyraEffect::createInstance(nullptr);
            }
            const tresult r = instance->queryInterface(iid, obj);
            instance->release();  // the query holds the only reference now
            if (r != kResultOk) *obj = nullptr;
            return r;
        });
    }

    tresult PLUGIN_API setHostContext(FUnknown*) override { return kResultOk; }

private:
    std::atomic<uint32> refs_{1};
};

}  // namespace

IPluginFactory* acquirePluginFactory() {
    std::lock_guard<std::mutex> lock(gFactoryMutex);
    if (gFactory) {
        gFactory->addRef();
        return gFactory;
    }
    gFactory = new (std::nothrow) HalcyraFactory();
    return gFactory;
}

}  // namespace halcyra::vst3
