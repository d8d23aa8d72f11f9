#include "presets/AtomicFileWrite.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <system_error>

namespace halcyra {

namespace {

// Short and independent of the target's name, so a target whose name is near the
// file system's limit still gets a temporary; the ".tmp" ending keeps it from ever
// being mistaken for a preset, and the tag keeps concurrent writers apart.
std::filesystem::path temporaryBeside(const std::filesystem::path& target, unsigned long long tag) {
    std::filesystem::path temp = target;
    temp.replace_filename(".halcyra-" + std::to_string(tag) + ".tmp");
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

}  // namespace halcyra
