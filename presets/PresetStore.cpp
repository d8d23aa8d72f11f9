#include "presets/PresetStore.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "presets/AtomicFileWrite.h"
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

PresetStore::PresetStore() : folder_(defaultFolder()) {}

PresetStore::PresetStore(std::string folder) : folder_(std::move(folder)) {}

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

bool PresetStore::deleteUserPreset(const std::string& name) const {
    return orOnFailure(false, [&] {
        const std::string path = findPresetFile(name);
        if (path.empty()) return false;
        std::error_code ec;
        if (!fs::remove(path, ec) || ec) return false;

        std::vector<std::string> favourites = readFavourites();
        const auto kept = std::remove(favourites.begin(), favourites.end(), name);
        if (kept != favourites.end()) {
            favourites.erase(kept, favourites.end());
            writeFavourites(favourites);
        }
        return true;
    });
}

std::vector<std::string> PresetStore::readFavourites() const {
    return orOnFailure(std::vector<std::string>(), [&] {
        std::vector<std::string> names;
        std::ifstream in(favouritesPath(), std::ios::binary);
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
