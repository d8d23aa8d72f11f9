#include "presets/AtomicFileWrite.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

namespace halcyra {

namespace {

// Short and independent of the target's name, so a target whose name is near the
// file system's limit still gets a temporary; the ".tmp" ending keeps it from ever
// being mistaken for a preset, and the tag keeps concurrent writers apart.
constexpr std::string_view kTemporaryPrefix = ".halcyra-";
constexpr std::string_view kTemporarySuffix = ".tmp";
// A write takes milliseconds; a temporary this old belongs to no running writer.
constexpr auto kStaleAge = std::chrono::minutes(1);

bool isOurTemporary(const std::string& name) {
    if (name.size() <= kTemporaryPrefix.size() + kTemporarySuffix.size()) return false;
    if (name.compare(0, kTemporaryPrefix.size(), kTemporaryPrefix) != 0) return false;
    if (name.compare(name.size() - kTemporarySuffix.size(), kTemporarySuffix.size(), kTemporarySuffix) != 0)
        return false;
    for (std::size_t i = kTemporaryPrefix.size(); i < name.size() - kTemporarySuffix.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

std::filesystem::path temporaryBeside(const std::filesystem::path& target, unsigned long long tag) {
    std::filesystem::path temp = target;
    temp.replace_filename(std::string(kTemporaryPrefix) + std::to_string(tag) + std::string(kTemporarySuffix));
    return temp;
}

unsigned long long nextTag() {
    static std::atomic<unsigned long long> counter{0};
    const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    return (now ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull)) % 1000000000000ull;
}

// Opens a temporary file that did not exist before ("x": exclusive create).
std::FILE* createTemporary(const std::filesystem::path& target, std::filesystem::path& temp) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp = temporaryBeside(target, nextTag());
        if (std::FILE* f = std::fopen(temp.c_str(), "wbx")) return f;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

bool writeAndClose(std::FILE* f, std::string_view contents) {
    bool ok = contents.empty() || std::fwrite(contents.data(), 1, contents.size(), f) == contents.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

}  // namespace

bool writeFileReplacing(const std::filesystem::path& target, std::string_view contents, const ReplaceGate& gate) {
    std::filesystem::path temp;
    std::FILE* f = createTemporary(target, temp);
    if (!f) return false;

    bool ok = writeAndClose(f, contents);
    if (ok && gate) ok = gate(temp, target);
    if (ok) {
        std::error_code ec;
        std::filesystem::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
    }
    return ok;
}

void removeStaleTemporaries(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    const auto now = fs::file_time_type::clock::now();
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!isOurTemporary(it->path().filename().string())) continue;
        std::error_code entryError;
        if (!it->is_regular_file(entryError)) continue;
        const auto written = fs::last_write_time(it->path(), entryError);
        if (entryError || now - written < kStaleAge) continue;
        fs::remove(it->path(), entryError);
    }
}

}  // namespace halcyra
