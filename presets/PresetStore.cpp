#include "presets/PresetStore.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "presets/AtomicFileWrite.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetFileFormat.h"
#include "presets/PresetFileNaming.h"
#include "presets/PresetKeys.h"
#include "presets/PresetNameEscaping.h"
#include "presets/PresetNameOrder.h"

namespace halcyra {

namespace fs = std::filesystem;

namespace {

// Allocation failures (a gigantic file in the folder) must not escape into the editor.
template <typename T, typename Fn>
T orOnFailure(T fallback, Fn&& fn) noexcept {
    try {
        return fn();
    } catch (const std::exception&) {
        return fallback;
    }
}

// Calls fn(path) for each regular file with the preset extension, in folder order,
// until fn returns false. A missing or unreadable folder has no entries.
template <typename Fn>
void forEachPresetFile(const std::string& folder, Fn&& fn) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!hasPresetExtension(it->path().filename().string())) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (!fn(it->path().string())) return;
    }
}

void createFolder(const std::string& folder) {
    std::error_code ignored;  // a failure shows up when the file is opened
    fs::create_directories(folder, ignored);
}

}  // namespace

PresetStore::PresetStore() : PresetStore(defaultFolder()) {}

PresetStore::PresetStore(std::string folder) : folder_(std::move(folder)), cache_(folder_) {}

std::string PresetStore::defaultFolder() {
    const char* home = std::getenv("HOME");
    const std::string base = (home != nullptr && *home != '\0') ? joinPath(home, "Music") : std::string(".");
    return joinPath(joinPath(base, "Halcyra"), "Presets");
}

std::string PresetStore::favouritesPath() const { return joinPath(folder_, kFavouritesFileName); }

bool PresetStore::readPresetFile(const std::string& path, UserPreset& out) {
    return orOnFailure(false, [&] {
        std::error_code ec;
        if (fs::is_directory(path, ec)) return false;
        std::ifstream in(path, std::ios::binary);
        if (!in.is_open()) return false;
        return readPresetText(in, out);
    });
}

std::string PresetStore::findPresetFile(const std::string& name) const {
    return orOnFailure(std::string(), [&] {
        std::string found;
        forEachPresetFile(folder_, [&](const std::string& path) {
            UserPreset preset;
            if (readPresetFile(path, preset) && preset.name == name) found = path;
            return found.empty();
        });
        return found;
    });
}

std::vector<std::string> PresetStore::listUserPresets() const {
    return orOnFailure(std::vector<std::string>(), [&] {
        std::vector<std::string> names;
        forEachPresetFile(folder_, [&](const std::string& path) {
            UserPreset preset;
            if (readPresetFile(path, preset) && !preset.name.empty()) names.push_back(std::move(preset.name));
            return true;
        });
        std::stable_sort(names.begin(), names.end(),
                         [](const std::string& a, const std::string& b) { return presetNameLess(a, b); });
        return names;
    });
}

std::string PresetStore::newPresetPath(const std::string& name) const {
    const std::string stem = presetFileStem(name);
    for (unsigned attempt = 1;; ++attempt) {
        std::string candidate = joinPath(folder_, presetFileCandidate(stem, attempt));
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
    }
}

bool PresetStore::saveUserPreset(const UserPreset& preset) const {
    for (const auto& entry : preset.entries)
        if (!isStorablePresetKey(entry.first)) return false;
    return orOnFailure(false, [&] {
        createFolder(folder_);
        std::string path = findPresetFile(preset.name);
        if (path.empty()) path = newPresetPath(preset.name);
        cache_.invalidate();
        return writeReplacing(path, formatPresetFile(preset));
    });
}

bool PresetStore::loadUserPreset(const std::string& name, ParameterEditor& params) const {
    return orOnFailure(false, [&] {
        const std::string path = findPresetFile(name);
        if (path.empty()) return false;
        UserPreset preset;
        if (!readPresetFile(path, preset)) return false;
        for (const auto& [key, value] : preset.entries) {
            const int param = paramForPresetKey(key);
            if (param >= 0) params.setFromPlugin(param, value);
        }
        return true;
    });
}

bool PresetStore::isCarriedElsewhere(const std::string& name) const {
    return findFactoryPreset(name) >= 0 || !findPresetFile(name).empty();
}

std::optional<PresetStore::DeletedPreset> PresetStore::deleteUserPreset(const std::string& name) const {
    return orOnFailure(std::optional<DeletedPreset>(), [&]() -> std::optional<DeletedPreset> {
        DeletedPreset deleted{name, findPresetFile(name), {}, std::nullopt};
        if (deleted.path.empty()) return std::nullopt;
        std::ifstream in(deleted.path, std::ios::binary);
        deleted.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.is_open() || in.bad()) return std::nullopt;  // no copy to undo with: keep the file
        in.close();
        cache_.invalidate();
        std::error_code ec;
        if (!fs::remove(deleted.path, ec) || ec) return std::nullopt;

        // Favourites are kept by name: a factory preset or another file may still
        // carry this one, and deleting a file must not unmark those.
        if (!isCarriedElsewhere(name)) {
            std::vector<std::string> favourites = readFavourites();
            const auto it = std::find(favourites.begin(), favourites.end(), name);
            if (it != favourites.end()) {
                deleted.favouriteIndex = static_cast<std::size_t>(it - favourites.begin());
                favourites.erase(it);
                writeFavourites(favourites);
            }
        }
        return deleted;
    });
}

bool PresetStore::restoreUserPreset(const DeletedPreset& deleted) const {
    return orOnFailure(false, [&] {
        createFolder(folder_);
        std::error_code ec;
        const bool oldPathFree = !deleted.path.empty() && !fs::exists(fs::symlink_status(deleted.path, ec));
        const std::string path = oldPathFree ? deleted.path : newPresetPath(deleted.name);
        cache_.invalidate();
        if (!writeReplacing(path, deleted.bytes)) return false;
        if (deleted.favouriteIndex) {
            std::vector<std::string> favourites = readFavourites();
            if (std::find(favourites.begin(), favourites.end(), deleted.name) == favourites.end()) {
                const std::size_t at = std::min(*deleted.favouriteIndex, favourites.size());
                favourites.insert(favourites.begin() + static_cast<std::ptrdiff_t>(at), deleted.name);
                writeFavourites(favourites);
            }
        }
        return true;
    });
}

bool PresetStore::renameUserPreset(const std::string& from, const std::string& to) const {
    if (to.empty()) return false;
    return orOnFailure(false, [&] {
        const std::string path = findPresetFile(from);
        if (path.empty() || !findPresetFile(to).empty()) return false;
        UserPreset preset;
        if (!readPresetFile(path, preset)) return false;
        preset.name = to;
        for (const auto& entry : preset.entries)
            if (!isStorablePresetKey(entry.first)) return false;
        cache_.invalidate();
        // One atomic replace switches the stored name, which is what identifies the
        // preset; the file's own name follows as a second, optional step.
        if (!writeReplacing(path, formatPresetFile(preset))) return false;
        if (presetFileStem(from) != presetFileStem(to)) {
            std::error_code ignored;  // a file name that no longer matches is harmless
            fs::rename(path, newPresetPath(to), ignored);
        }

        std::vector<std::string> favourites = readFavourites();
        const auto it = std::find(favourites.begin(), favourites.end(), from);
        if (it != favourites.end()) {
            const bool toAlreadyFavourite = std::find(favourites.begin(), favourites.end(), to) != favourites.end();
            if (isCarriedElsewhere(from)) {
                if (!toAlreadyFavourite) favourites.push_back(to);
            } else if (toAlreadyFavourite) {
                favourites.erase(it);
            } else {
                *it = to;
            }
            writeFavourites(favourites);
        }
        return true;
    });
}

const PresetLibrary& PresetStore::library() const {
    static const PresetLibrary kNothing;
    return *orOnFailure<const PresetLibrary*>(&kNothing, [&] { return &cache_.get(); });
}

std::vector<std::string> PresetStore::readFavourites() const { return readFavouritesFile(favouritesPath()); }

std::vector<std::string> PresetStore::readFavouritesFile(const std::string& path) {
    return orOnFailure(std::vector<std::string>(), [&] {
        std::vector<std::string> names;
        std::ifstream in(path, std::ios::binary);
        std::string line;
        while (in.is_open() && std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) names.push_back(unescapePresetName(line));
        }
        return names;
    });
}

bool PresetStore::writeFavourites(const std::vector<std::string>& names) const {
    return orOnFailure(false, [&] {
        std::string text;
        for (const std::string& name : names) {
            text += escapePresetName(name);
            text += '\n';
        }
        createFolder(folder_);
        cache_.invalidate();
        return writeReplacing(favouritesPath(), text);
    });
}

bool PresetStore::isFavourite(const std::string& name) const {
    const std::vector<std::string> names = readFavourites();
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool PresetStore::toggleFavourite(const std::string& name) const {
    return orOnFailure(false, [&] {
        std::vector<std::string> names = readFavourites();
        const auto it = std::find(names.begin(), names.end(), name);
        const bool adding = it == names.end();
        if (adding)
            names.push_back(name);
        else
            names.erase(it);
        writeFavourites(names);
        return adding;
    });
}

UserPreset PresetStore::fromParameters(const std::string& name, const ParameterEditor& params) {
    UserPreset preset{name, {}};
    preset.entries.reserve(kPresetKeys.size());
    for (const PresetKey& k : kPresetKeys) preset.entries.emplace_back(std::string(k.key), params.value(k.param));
    return preset;
}

bool PresetStore::beforeReplacingFile(const std::string&, const std::string&) const { return true; }

bool PresetStore::writeReplacing(const std::string& path, const std::string& contents) const {
    return writeFileReplacing(path, contents, [this](const fs::path& temporary, const fs::path& target) {
        return beforeReplacingFile(temporary.string(), target.string());
    });
}

}  // namespace halcyra
