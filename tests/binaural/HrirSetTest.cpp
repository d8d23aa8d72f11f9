#include <gtest/gtest.h>
#include <mysofa.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "dsp/stars/BandLoudness.h"
#include "dsp/stars/EmbeddedKemar.h"
#include "dsp/stars/HrirSet.h"
#include "dsp/stars/HrirSetCache.h"
#include "dsp/stars/HrirSource.h"
#include "dsp/stars/HrirSourceFile.h"
#include "dsp/stars/HrirSourceNeighbours.h"

namespace halcyra {
namespace {

double pairLoudness(const HrirPair& p, double sr) {
    return bandLoudness(p.left.data(), static_cast<int>(p.left.size()), sr) +
           bandLoudness(p.right.data(), static_cast<int>(p.right.size()), sr);
}

// A spread of directions like the sky's: azimuth -90..90, elevation -10..45.
struct Directions {
    std::vector<float> az, el;
    explicit Directions(int count) {
        for (int i = 0; i < count; ++i) {
            az.push_back(-90.0f + 180.0f * static_cast<float>(i) / static_cast<float>(count - 1));
            el.push_back(-10.0f + 55.0f * static_cast<float>((i * 7) % count) / static_cast<float>(count - 1));
        }
    }
};

TEST(HrirSet, EmbeddedFileIsTheKemarSofa) {
    ASSERT_EQ(kemarSofaSize(), 1173158u);
    // HDF5 signature at the start of the file.
    const unsigned char* d = kemarSofaData();
    EXPECT_EQ(d[0], 0x89);
    EXPECT_EQ(d[1], 'H');
    EXPECT_EQ(d[2], 'D');
    EXPECT_EQ(d[3], 'F');
}

TEST(HrirSet, TapCountFollowsTheLibraryLengthAtEachRate) {
    const Directions dirs(8);
    HrirSet set;
    ASSERT_TRUE(set.build(kemarSofaData(), kemarSofaSize(), 44100.0, 8, dirs.az.data(), dirs.el.data()));
    EXPECT_EQ(set.libraryFilterLength(), 512);
    EXPECT_EQ(set.taps(), 256);
    ASSERT_TRUE(set.build(kemarSofaData(), kemarSofaSize(), 48000.0, 8, dirs.az.data(), dirs.el.data()));
    EXPECT_GT(set.libraryFilterLength(), 512);  // resampled up by 48/44.1
    EXPECT_LT(set.libraryFilterLength(), 600);
    EXPECT_EQ(set.taps(), 256);
    EXPECT_EQ(set.size(), 8);
    for (int i = 0; i < set.size(); ++i) {
        EXPECT_EQ(set.pair(i).left.size(), 256u);
        EXPECT_EQ(set.pair(i).right.size(), 256u);
        EXPECT_GE(set.pair(i).leftDelay, 0.0f);
        EXPECT_TRUE(std::isfinite(set.pair(i).rightDelay));
    }
    // A short cap is honoured.
    ASSERT_TRUE(set.build(kemarSofaData(), kemarSofaSize(), 44100.0, 8, dirs.az.data(), dirs.el.data(), 100));
    EXPECT_EQ(set.taps(), 100);
    EXPECT_EQ(set.pair(3).left.size(), 100u);
    // The cap keeps 256 taps' duration at 48 kHz at higher rates.
    EXPECT_EQ(hrirTapLimit(44100.0), 256);
    EXPECT_EQ(hrirTapLimit(96000.0), 512);
    EXPECT_EQ(hrirTapLimit(192000.0), 1024);
}

// Converting the few pairs the sky needs gives the responses the reader gives when it
// converts the whole set to the engine's rate itself.
TEST(HrirSet, EqualsTheReadersOwnConversionAtEveryRate) {
    const int count = 12;
    const Directions dirs(count);
    for (double sr : {44100.0, 48000.0, 96000.0, 192000.0}) {
        int length = 0, error = 0;
        MYSOFA_EASY* reader = mysofa_open_data(reinterpret_cast<const char*>(kemarSofaData()),
                                               static_cast<long>(kemarSofaSize()), static_cast<float>(sr), &length, &error);
        ASSERT_NE(reader, nullptr);
        HrirSet set;
        ASSERT_TRUE(set.build(kemarSofaData(), kemarSofaSize(), sr, count, dirs.az.data(), dirs.el.data(), 1 << 20, false));
        EXPECT_EQ(set.libraryFilterLength(), length) << sr;
        ASSERT_EQ(set.taps(), length) << sr;
        std::vector<float> left(static_cast<std::size_t>(length)), right(left.size());
        double error2 = 0.0, energy2 = 0.0;
        for (int i = 0; i < count; ++i) {
            float p[3] = {-dirs.az[static_cast<std::size_t>(i)], dirs.el[static_cast<std::size_t>(i)], 1.0f};
            mysofa_s2c(p);
            float dl = 0.0f, dr = 0.0f;
            mysofa_getfilter_float(reader, p[0], p[1], p[2], left.data(), right.data(), &dl, &dr);
            EXPECT_EQ(set.pair(i).leftDelay, std::max(dl, 0.0f));
            EXPECT_EQ(set.pair(i).rightDelay, std::max(dr, 0.0f));
            for (std::size_t j = 0; j < left.size(); ++j) {
                const double el = set.pair(i).left[j] - left[j], er = set.pair(i).right[j] - right[j];
                error2 += el * el + er * er;
                energy2 += static_cast<double>(left[j]) * left[j] + static_cast<double>(right[j]) * right[j];
            }
        }
        mysofa_close(reader);
        ASSERT_GT(energy2, 0.0);
        EXPECT_LT(10.0 * std::log10(error2 / energy2 + 1e-30), -100.0) << sr;
    }
}

// Working out the neighbours of single measurements gives the rows of the reader's own
// index for the whole set, so the interpolated responses do not change by a bit.
TEST(HrirSet, MeasurementNeighboursAreTheReadersIndexRows) {
    int error = 0;
    MYSOFA_HRTF* hrtf = mysofa_load_data(reinterpret_cast<const char*>(kemarSofaData()),
                                         static_cast<long>(kemarSofaSize()), &error);
    ASSERT_NE(hrtf, nullptr);
    mysofa_tocartesian(hrtf);
    MYSOFA_LOOKUP* lookup = mysofa_lookup_init(hrtf);
    MYSOFA_NEIGHBORHOOD* index = mysofa_neighborhood_init(hrtf, lookup);
    ASSERT_NE(index, nullptr);
    int missing = 0;
    for (int m = 0; m < static_cast<int>(hrtf->M); ++m) {
        int row[6];
        measurementNeighbours(*lookup, hrtf->SourcePosition.values + 3 * m, m, row);
        const int* expected = mysofa_neighborhood(index, m);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(row[k], expected[k]) << m << " " << k;
            missing += k < 4 && row[k] < 0;
        }
    }
    EXPECT_GT(missing, 0);  // searches along an angle that give up are covered too
    mysofa_neighborhood_free(index);
    mysofa_lookup_free(lookup);
    mysofa_free(hrtf);
}

// The process-wide cache hands out what a direct build makes, whether the build finds
// the measurements being read ahead on another thread, kept, dropped and read again, or
// kept in the per-user file by an earlier read; a file made from anything else, or
// damaged, is not trusted, and the next read replaces it.
TEST(HrirSet, CachedBuildsEqualADirectBuild) {
    const int count = 6;
    const Directions dirs(count);
    HrirSet direct;
    ASSERT_TRUE(direct.build(kemarSofaData(), kemarSofaSize(), 96000.0, count, dirs.az.data(), dirs.el.data(), 512));
    const auto expectEqual = [&](const HrirSet& set) {
        ASSERT_TRUE(set.loaded());
        ASSERT_EQ(set.size(), count);
        EXPECT_EQ(set.taps(), direct.taps());
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(set.pair(i).left, direct.pair(i).left) << i;
            EXPECT_EQ(set.pair(i).right, direct.pair(i).right) << i;
            EXPECT_EQ(set.pair(i).leftDelay, direct.pair(i).leftDelay) << i;
        }
    };
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("halcyra-hrir-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    ASSERT_EQ(::setenv("XDG_CACHE_HOME", folder.c_str(), 1), 0);
    const std::string file = hrirSourceCacheFile();
    ASSERT_EQ(file.rfind(folder.string(), 0), 0u);
    const auto key = hrirSourceKey(kemarSofaData(), kemarSofaSize(), count, dirs.az.data(), dirs.el.data());

    releaseKemarCache();
    std::thread ahead([&] { readKemarSource(count, dirs.az.data(), dirs.el.data()); });
    HrirSet whileReading, kept, reread, fromFile, afterDamage;
    EXPECT_TRUE(buildKemarHrirSet(whileReading, 96000.0, count, dirs.az.data(), dirs.el.data(), 512));
    ahead.join();
    expectEqual(whileReading);
    EXPECT_TRUE(buildKemarHrirSet(kept, 96000.0, count, dirs.az.data(), dirs.el.data(), 512));
    expectEqual(kept);
    releaseKemarCache();
    std::filesystem::remove(file);
    EXPECT_TRUE(buildKemarHrirSet(reread, 96000.0, count, dirs.az.data(), dirs.el.data(), 512));
    expectEqual(reread);
    expectEqual(whileReading);  // sets handed out outlive the cache

    HrirSource stored;
    ASSERT_TRUE(loadHrirSource(file, key, count, stored));  // written by the read
    EXPECT_FALSE(loadHrirSource(file, key + 1, count, stored));
    EXPECT_FALSE(loadHrirSource(file, key, count + 1, stored));
    releaseKemarCache();
    const auto written = std::filesystem::last_write_time(file);
    EXPECT_TRUE(buildKemarHrirSet(fromFile, 96000.0, count, dirs.az.data(), dirs.el.data(), 512));
    expectEqual(fromFile);
    EXPECT_EQ(std::filesystem::last_write_time(file), written);  // taken from the file, not read again

    // One bit flipped in the responses, then a file cut short: neither is used.
    const auto size = std::filesystem::file_size(file);
    {
        std::fstream damage(file, std::ios::in | std::ios::out | std::ios::binary);
        damage.seekg(static_cast<std::streamoff>(size / 2));
        const int byte = damage.get();
        damage.seekp(static_cast<std::streamoff>(size / 2));
        damage.put(static_cast<char>(byte ^ 1));
    }
    EXPECT_FALSE(loadHrirSource(file, key, count, stored));
    std::filesystem::resize_file(file, size - 4);
    EXPECT_FALSE(loadHrirSource(file, key, count, stored));
    releaseKemarCache();
    EXPECT_TRUE(buildKemarHrirSet(afterDamage, 96000.0, count, dirs.az.data(), dirs.el.data(), 512));
    expectEqual(afterDamage);
    EXPECT_TRUE(loadHrirSource(file, key, count, stored));  // replaced by the fresh read
    releaseKemarCache();
    std::filesystem::remove_all(folder);
}

TEST(HrirSet, RejectsMissingOrBrokenData) {
    const Directions dirs(4);
    HrirSet set;
    ASSERT_TRUE(set.build(kemarSofaData(), kemarSofaSize(), 48000.0, 4, dirs.az.data(), dirs.el.data()));
    EXPECT_FALSE(set.build(nullptr, 100, 48000.0, 4, dirs.az.data(), dirs.el.data()));
    EXPECT_FALSE(set.loaded());
    EXPECT_EQ(set.size(), 0);
    EXPECT_FALSE(set.build(kemarSofaData(), kemarSofaSize(), 0.0, 4, dirs.az.data(), dirs.el.data()));
    EXPECT_FALSE(set.build(kemarSofaData(), kemarSofaSize(), 48000.0, 4, nullptr, dirs.el.data()));
    std::vector<unsigned char> garbage(4096, 0x5A);
    EXPECT_FALSE(set.build(garbage.data(), garbage.size(), 48000.0, 4, dirs.az.data(), dirs.el.data()));
    EXPECT_FALSE(set.loaded());
}

// Energy-weighted arrival: the first sample reaching 20 % of the ear's peak, in samples,
// including the pair's interaural delay.
double arrival(const std::vector<float>& taps, float delaySeconds, double sr) {
    float peak = 0.0f;
    for (float t : taps) peak = std::max(peak, std::fabs(t));
    for (std::size_t i = 0; i < taps.size(); ++i)
        if (std::fabs(taps[i]) >= 0.2f * peak) return static_cast<double>(i) + delaySeconds * sr;
    return 1e9;
}

double energy(const std::vector<float>& taps) {
    double e = 0.0;
    for (float t : taps) e += static_cast<double>(t) * t;
    return e;
}

TEST(HrirSet, PositiveAzimuthIsHeardOnTheRight) {
    const std::vector<float> az = {60.0f, -60.0f, 90.0f, -30.0f};
    const std::vector<float> el = {0.0f, 0.0f, 20.0f, 40.0f};
    for (double sr : {44100.0, 48000.0}) {
        HrirSet set;
        ASSERT_TRUE(set.build(kemarSofaData(), kemarSofaSize(), sr, 4, az.data(), el.data()));
        for (int i = 0; i < 4; ++i) {
            const HrirPair& p = set.pair(i);
            const bool right = az[static_cast<std::size_t>(i)] > 0.0f;
            const double louder = right ? energy(p.right) : energy(p.left);
            const double quieter = right ? energy(p.left) : energy(p.right);
            EXPECT_GT(louder, 2.0 * quieter) << "point " << i << " at " << sr;
            const double near = right ? arrival(p.right, p.rightDelay, sr) : arrival(p.left, p.leftDelay, sr);
            const double far = right ? arrival(p.left, p.leftDelay, sr) : arrival(p.right, p.rightDelay, sr);
            EXPECT_LT(near, far) << "point " << i << " at " << sr;
        }
    }
}

// The far ear hears a source on the other side late and weak; with the same duration
// of response at every rate it keeps the same share of the pair's energy.
TEST(HrirSet, FarEarKeepsItsShareOfEnergyAtHighRates) {
    const std::vector<float> az = {89.7f, -60.0f}, el = {0.0f, 20.0f};
    auto farShare = [&](double sr, int i) {
        HrirSet set;
        EXPECT_TRUE(set.build(kemarSofaData(), kemarSofaSize(), sr, 2, az.data(), el.data(), hrirTapLimit(sr)));
        const HrirPair& p = set.pair(i);
        const double far = energy(i == 0 ? p.left : p.right), near = energy(i == 0 ? p.right : p.left);
        return far / (far + near);
    };
    for (int i = 0; i < 2; ++i) {
        const double base = farShare(48000.0, i);
        ASSERT_GT(base, 0.0);
        EXPECT_NEAR(farShare(192000.0, i) / base, 1.0, 0.03) << i;
        EXPECT_NEAR(farShare(96000.0, i) / base, 1.0, 0.03) << i;
    }
}

TEST(HrirSet, NormalisationBringsEveryPairToTheMedianLoudness) {
    const int count = 128;
    const Directions dirs(count);
    const double sr = 48000.0;
    HrirSet raw, levelled;
    ASSERT_TRUE(raw.build(kemarSofaData(), kemarSofaSize(), sr, count, dirs.az.data(), dirs.el.data(), 256, false));
    ASSERT_TRUE(levelled.build(kemarSofaData(), kemarSofaSize(), sr, count, dirs.az.data(), dirs.el.data()));

    std::vector<double> before(count);
    for (int i = 0; i < count; ++i) before[static_cast<std::size_t>(i)] = pairLoudness(raw.pair(i), sr);
    std::vector<double> sorted = before;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[count / 2];
    ASSERT_GT(median, 0.0);
    ASSERT_GT(sorted.back() / sorted.front(), 1.1);  // the raw set really is uneven

    int medianIndex = -1;
    for (int i = 0; i < count; ++i) {
        EXPECT_NEAR(pairLoudness(levelled.pair(i), sr) / median, 1.0, 1e-5) << i;
        if (before[static_cast<std::size_t>(i)] == median) medianIndex = i;
    }
    ASSERT_GE(medianIndex, 0);
    // The median pair itself is left as it was.
    EXPECT_EQ(levelled.pair(medianIndex).left, raw.pair(medianIndex).left);
    EXPECT_EQ(levelled.pair(medianIndex).right, raw.pair(medianIndex).right);
}

}  // namespace
}  // namespace halcyra
