#include "tools/host/PresetFileChunk.h"

#include <algorithm>
#include <limits>

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/vstpresetfile.h"

namespace halcyra::host {

using namespace Steinberg;

bool looksLikePresetFile(const std::vector<std::uint8_t>& bytes) {
    static constexpr std::uint8_t kMagic[4] = {'V', 'S', 'T', '3'};
    return bytes.size() >= 4 && std::equal(kMagic, kMagic + 4, bytes.begin());
}

std::vector<std::uint8_t> makePresetFile(const TUID cid, const std::vector<std::uint8_t>& componentState) {
    IPtr<MemoryStream> component = owned(new MemoryStream());
    int32 written = 0;
    component->write(const_cast<std::uint8_t*>(componentState.data()), static_cast<int32>(componentState.size()),
                     &written);
    component->seek(0, IBStream::kIBSeekSet, nullptr);
    IPtr<MemoryStream> file = owned(new MemoryStream());
    if (written != static_cast<int32>(componentState.size()) ||
        !Vst::PresetFile::savePreset(file, FUID::fromTUID(cid), component))
        return {};
    const auto* data = reinterpret_cast<const std::uint8_t*>(file->getData());
    return std::vector<std::uint8_t>(data, data + file->getSize());
}

std::optional<std::vector<std::uint8_t>> componentStateOfPresetFile(const std::vector<std::uint8_t>& file,
                                                                     const TUID cid) {
    if (!looksLikePresetFile(file) || file.size() > static_cast<std::size_t>(std::numeric_limits<int32>::max()))
        return std::nullopt;
    // Reads only; the stream never writes into the caller's bytes.
    IPtr<MemoryStream> stream =
        owned(new MemoryStream(const_cast<std::uint8_t*>(file.data()), static_cast<TSize>(file.size())));
    Vst::PresetFile preset(stream);
    if (!preset.readChunkList() || preset.getClassID() != FUID::fromTUID(cid)) return std::nullopt;
    const Vst::PresetFile::Entry* entry = preset.getEntry(Vst::kComponentState);
    if (!entry || entry->offset < 0 || entry->size < 0 ||
        static_cast<std::uint64_t>(entry->offset) + static_cast<std::uint64_t>(entry->size) > file.size())
        return std::nullopt;
    const auto begin = file.begin() + static_cast<std::ptrdiff_t>(entry->offset);
    return std::vector<std::uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(entry->size));
}

}  // namespace halcyra::host
