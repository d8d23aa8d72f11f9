#include "dsp/stars/HrirSourceFile.h"

#include <fcntl.h>
#include <mysofa.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "dsp/stars/HrirSource.h"

namespace halcyra {

namespace {

constexpr char kMagic[8] = {'H', 'L', 'C', 'Y', 'H', 'R', 'S', '1'};  // the last byte is the layout's version
constexpr std::uint32_t kByteOrder = 0x01020304u;
constexpr std::int32_t kLongestResponse = 1 << 16;

struct FileHeader {
    char magic[8];
    std::uint32_t byteOrder;
    std::int32_t length;
    std::int32_t count;
    std::int32_t unused;
    double sampleRate;
    std::uint64_t key;
    std::uint64_t payloadHash;
};

// FNV-1a over 32-bit words (the payload is floats), then a final mix. Guards against
// another origin and against damage, not against anyone forging a file.
class Hash {
public:
    void add(const void* bytes, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(bytes);
        std::size_t i = 0;
        for (; i + 4 <= size; i += 4) {
            std::uint32_t word;
            std::memcpy(&word, p + i, 4);
            step(word);
        }
        for (; i < size; ++i) step(p[i]);
    }
    std::uint64_t value() const {
        std::uint64_t z = h_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    void step(std::uint32_t word) { h_ = (h_ ^ word) * 0x100000001B3ull; }
    std::uint64_t h_ = 0xCBF29CE484222325ull;
};

// The payload in file order: left rows, right rows, left delays, right delays, the
// level-reference pair.
template <class Source>
auto payloadOf(Source& s) {
    return std::array{&s.left, &s.right, &s.leftDelay, &s.rightDelay, &s.levelReference};
}

std::size_t payloadFloats(std::size_t length, std::size_t count) { return 2 * count * length + 2 * count + 2 * length; }

std::uint64_t payloadHash(const HrirSource& s) {
    Hash h;
    for (const auto* v : payloadOf(s)) h.add(v->data(), v->size() * sizeof(float));
    return h.value();
}

bool readAll(int fd, void* to, std::size_t size) {
    auto* p = static_cast<char*>(to);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const void* from, std::size_t size) {
    const auto* p = static_cast<const char*>(from);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool absolute(const char* path) { return path != nullptr && path[0] == '/'; }

}  // namespace

std::uint64_t hrirSourceKey(const unsigned char* data, std::size_t size, int count, const float* azimuths,
                            const float* elevations) {
    Hash h;
    h.add(kMagic, sizeof kMagic);
    h.add(HALCYRA_BUILD_VERSION, sizeof HALCYRA_BUILD_VERSION);
    int version[3] = {0, 0, 0};
    mysofa_getversion(&version[0], &version[1], &version[2]);
    h.add(version, sizeof version);
    const std::uint64_t bytes = size;
    h.add(&bytes, sizeof bytes);
    if (data != nullptr) h.add(data, size);
    h.add(&count, sizeof count);
    if (count > 0 && azimuths != nullptr && elevations != nullptr) {
        h.add(azimuths, static_cast<std::size_t>(count) * sizeof(float));
        h.add(elevations, static_cast<std::size_t>(count) * sizeof(float));
    }
    return h.value();
}

std::string hrirSourceCacheFile() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); absolute(xdg))
        base = xdg;
    else if (const char* home = std::getenv("HOME"); absolute(home))
        base = std::string(home) + "/.cache";
    else
        return {};
    return base + "/Halcyra/sky-responses.bin";
}

bool loadHrirSource(const std::string& file, std::uint64_t key, int count, HrirSource& out) noexcept {
    try {
        Descriptor in{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
        if (in.fd < 0) return false;
        FileHeader header{};
        if (!readAll(in.fd, &header, sizeof header)) return false;
        if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.byteOrder != kByteOrder ||
            header.key != key || header.count != count || count <= 0 || header.length <= 0 ||
            header.length > kLongestResponse || !std::isfinite(header.sampleRate) || !(header.sampleRate > 0.0))
            return false;
        const auto length = static_cast<std::size_t>(header.length), rows = static_cast<std::size_t>(count);
        struct stat status {};
        if (::fstat(in.fd, &status) != 0 ||
            static_cast<std::uint64_t>(status.st_size) != sizeof header + payloadFloats(length, rows) * sizeof(float))
            return false;

        HrirSource source;
        source.sampleRate = header.sampleRate;
        source.length = header.length;
        source.count = count;
        source.left.resize(rows * length);
        source.right.resize(rows * length);
        source.leftDelay.resize(rows);
        source.rightDelay.resize(rows);
        source.levelReference.resize(2 * length);
        for (auto* v : payloadOf(source))
            if (!readAll(in.fd, v->data(), v->size() * sizeof(float))) return false;
        if (payloadHash(source) != header.payloadHash) return false;
        out = std::move(source);
        return true;
    } catch (...) {
        return false;  // out of memory: read the data instead
    }
}

bool storeHrirSource(const std::string& file, std::uint64_t key, const HrirSource& source) noexcept {
    try {
        const auto length = static_cast<std::size_t>(source.length), rows = static_cast<std::size_t>(source.count);
        if (file.empty() || source.length <= 0 || source.length > kLongestResponse || source.count <= 0 ||
            source.left.size() != rows * length || source.right.size() != rows * length ||
            source.leftDelay.size() != rows || source.rightDelay.size() != rows ||
            source.levelReference.size() != 2 * length)
            return false;
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
        if (ec) return false;

        FileHeader header{};
        std::memcpy(header.magic, kMagic, sizeof kMagic);
        header.byteOrder = kByteOrder;
        header.length = source.length;
        header.count = source.count;
        header.sampleRate = source.sampleRate;
        header.key = key;
        header.payloadHash = payloadHash(source);

        std::string temporary = file + ".XXXXXX";
        Descriptor out{::mkostemp(temporary.data(), O_CLOEXEC)};
        if (out.fd < 0) return false;
        bool ok = writeAll(out.fd, &header, sizeof header);
        for (const auto* v : payloadOf(source)) ok = ok && writeAll(out.fd, v->data(), v->size() * sizeof(float));
        ok = ::close(out.fd) == 0 && ok;
        out.fd = -1;
        ok = ok && ::rename(temporary.c_str(), file.c_str()) == 0;
        if (!ok) ::unlink(temporary.c_str());
        return ok;
    } catch (...) {
        return false;
    }
}

}  // namespace halcyra
