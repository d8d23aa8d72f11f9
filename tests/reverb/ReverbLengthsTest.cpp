#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "dsp/reverb/LengthRegistry.h"
#include "dsp/reverb/ReverbLengths.h"

namespace halcyra {
namespace {

using Ints = std::vector<int>;
template <class A>
Ints v(const A& a) {
    return Ints(a.begin(), a.end());
}

TEST(ReverbLengths, ReproduceTheTunedTableAt48k) {
    const ReverbLengths L = deriveReverbLengths(48000.0);
    EXPECT_EQ(v(L.registeredOnly), (Ints{1489, 1777, 1969, 2065, 2257, 2547}));
    EXPECT_EQ(v(L.fdnDelay), (Ints{529, 631, 817, 919, 1109, 1399}));
    EXPECT_EQ(v(L.diffuser), (Ints{67, 131, 221, 353, 557, 809, 1051}));
    EXPECT_EQ(v(L.decorrelatorLeft), (Ints{47, 83}));
    EXPECT_EQ(v(L.decorrelatorRight), (Ints{53, 113}));
    EXPECT_EQ(v(L.earlyMain), (Ints{73, 127, 149, 181, 211}));
    EXPECT_EQ(v(L.earlySide), (Ints{41, 71, 101}));
    EXPECT_EQ(v(L.fdnAllpass), (Ints{641, 769, 961, 1117, 1361, 1597}));
    EXPECT_EQ(L.glideLoop, 8191);
    EXPECT_EQ(v(L.glideSeeds), (Ints{433, 2549, 3413, 4273, 5431}));
    EXPECT_EQ(v(L.plateInput), (Ints{229, 173, 611, 447}));
    EXPECT_EQ(v(L.tank), (Ints{759, 5027, 2032, 4200, 1025, 4761, 2999, 3571}));
    EXPECT_EQ(L.tankSum, 24374);
    EXPECT_NEAR(L.tankExcursion, 9.03, 0.005);
    EXPECT_EQ(Ints(L.earlyTapOffset.begin(), L.earlyTapOffset.begin() + 5), (Ints{48, 107, 119, 165, 226}));
    EXPECT_EQ(L.earlyTapOffset.back(), 1553);
    EXPECT_EQ(L.earlyTapCapacity, 1555);
    EXPECT_EQ(L.glideCapacity, 256 + static_cast<int>(2.6 * 8191));
}

TEST(ReverbLengths, ReproduceTheTunedTableAt44k1) {
    const ReverbLengths L = deriveReverbLengths(44100.0);
    EXPECT_EQ(v(L.fdnDelay), (Ints{487, 577, 751, 839, 1019, 1279}));
    EXPECT_EQ(L.glideLoop, 7523);
    EXPECT_EQ(v(L.tank), (Ints{697, 4619, 1867, 3859, 942, 4374, 2755, 3281}));
}

TEST(ReverbLengths, PlateScalesFromItsNativeRate) {
    const double counts[8] = {672, 4453, 1800, 3720, 908, 4217, 2656, 3163};
    const double input[4] = {142, 107, 379, 277};
    for (double fs : {29761.0, 96000.0}) {
        SCOPED_TRACE(fs);
        const ReverbLengths L = deriveReverbLengths(fs);
        const double r = fs / 29761.0;
        for (int i = 0; i < 8; ++i) EXPECT_EQ(L.tank[i], static_cast<int>(counts[i] * 0.7 * r + 0.5));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(L.plateInput[i], static_cast<int>(input[i] * r + 0.5));
    }
    const ReverbLengths native = deriveReverbLengths(29761.0);
    EXPECT_EQ(native.tank[0], 470);  // 672 * 0.7 = 470.4
    EXPECT_EQ(native.tank[1], 3117);  // 4453 * 0.7 = 3117.1
    EXPECT_FLOAT_EQ(native.tankExcursion, 5.6f);
}

TEST(ReverbLengths, TankTapsStayInsideTheirSegments) {
    for (double fs : {1234.5678, 22050.0, 48000.0, 192000.0}) {
        const ReverbLengths L = deriveReverbLengths(fs);
        const int segment[6] = {kTankDelay1, kTankDelay2, kTankAllpass1, kTankDelay3, kTankDelay4, kTankAllpass2};
        for (int k = 0; k < 6; ++k) {
            const int len = L.tank[segment[k]];
            for (int tap : {L.tankTapLeft[k], L.tankTapRight[k]}) {
                EXPECT_GE(tap, 1);
                EXPECT_LE(tap, len - 1);
            }
        }
    }
}

TEST(ReverbLengths, RegisteredLengthsArePairwiseCoprimeAtAnyRate) {
    for (double fs : {300.0, 1234.5678, 8000.0, 44100.0, 48000.0, 88200.0, 384000.0}) {
        SCOPED_TRACE(fs);
        const ReverbLengths L = deriveReverbLengths(fs);
        Ints all;
        for (const Ints& part : {v(L.registeredOnly), v(L.fdnDelay), v(L.diffuser), v(L.decorrelatorLeft),
                                 v(L.decorrelatorRight), v(L.earlyMain), v(L.earlySide), v(L.fdnAllpass),
                                 Ints{L.glideLoop}, v(L.glideSeeds)})
            all.insert(all.end(), part.begin(), part.end());
        for (std::size_t a = 0; a < all.size(); ++a) {
            EXPECT_GE(all[a], 2);
            for (std::size_t b = a + 1; b < all.size(); ++b) EXPECT_EQ(std::gcd(all[a], all[b]), 1) << all[a] << " " << all[b];
        }
    }
}

TEST(LengthRegistry, RoundingFormsAndMinima) {
    EXPECT_EQ(roundToOddA(0), 2);
    EXPECT_EQ(roundToOddA(1), 2);
    EXPECT_EQ(roundToOddA(2), 3);
    EXPECT_EQ(roundToOddA(7), 7);
    EXPECT_EQ(roundToOddB(0), 3);
    EXPECT_EQ(roundToOddB(2), 3);
    EXPECT_EQ(roundToOddB(3), 3);
    EXPECT_EQ(roundToOddB(10), 11);
}

TEST(LengthRegistry, EvenCandidateAfterARegisteredTwoStillTerminates) {
    // At very low rates several form-A lengths collapse to 2; stepping by 2 from an
    // even candidate would never find a length coprime with 2.
    LengthRegistry registry;
    EXPECT_EQ(registry.add(2), 2);
    EXPECT_EQ(registry.add(2), 3);
    EXPECT_EQ(registry.add(9), 11);  // 9 shares 3; 11 is coprime with both
}

TEST(CoprimeSearch, PrefersTheNearestCandidateBelowThenAbove) {
    LengthList<8> taken;
    taken.push(3);
    taken.push(5);
    EXPECT_EQ(searchCoprime(10, taken, 100), 11);  // 10 shares 5, 9 shares 3
    EXPECT_EQ(taken.size(), 3);
    EXPECT_EQ(searchCoprime(12, taken, 100), 13);  // 11 now taken, 12 (3), 13 free
    EXPECT_EQ(searchCoprime(50, taken, 50), 49);   // 50 shares 5, 49 free; 51 over the limit anyway
}

}  // namespace
}  // namespace halcyra
