// Every delay length of the reverb network for one sample rate, derived once in
// prepare. Durations are tuned in milliseconds so the room sounds the same at any
// rate; the plate tank keeps its classic sample counts scaled from 29761 Hz.
#pragma once

#include <array>

namespace halcyra {

struct ReverbLengths {
    static constexpr int kEarlyTaps = 38;

    std::array<int, 6> registeredOnly{};  // 31..53 ms: only steer the later choices
    std::array<int, 6> fdnDelay{};
    std::array<int, 7> diffuser{};
    std::array<int, 2> decorrelatorLeft{};   // 0.9 ms, 1.7 ms
    std::array<int, 2> decorrelatorRight{};  // 1.1 ms, 2.3 ms
    std::array<int, 5> earlyMain{};
    std::array<int, 3> earlySide{};
    std::array<int, 6> fdnAllpass{};
    int glideLoop = 0;                    // Lb: loop allpass length, also sizes the glide line
    std::array<int, 5> glideSeeds{};      // 9..113 ms: seed the glide coprime searches

    std::array<int, 4> plateInput{};
    // Tank segments in loop order: allpass 672 (modulated), delay 4453, allpass 1800,
    // delay 3720, allpass 908 (modulated), delay 4217, allpass 2656, delay 3163.
    std::array<int, 8> tank{};
    int tankSum = 0;
    float tankExcursion = 0.0f;           // samples, for both modulated tank allpasses
    std::array<int, 6> tankTapLeft{};
    std::array<int, 6> tankTapRight{};

    std::array<int, kEarlyTaps> earlyTapOffset{};
    std::array<float, kEarlyTaps> earlyTapGain{};
    int earlyTapCapacity = 0;
    int glideCapacity = 0;
};

// Index of each tank segment inside ReverbLengths::tank.
enum TankSegment : int {
    kTankModAllpass1 = 0,
    kTankDelay1 = 1,
    kTankAllpass1 = 2,
    kTankDelay2 = 3,
    kTankModAllpass2 = 4,
    kTankDelay3 = 5,
    kTankAllpass2 = 6,
    kTankDelay4 = 7,
};

// The segment each of the six output taps per side reads.
inline constexpr int kTankTapSegment[6] = {kTankDelay1, kTankDelay2, kTankAllpass1, kTankDelay3, kTankDelay4, kTankAllpass2};

ReverbLengths deriveReverbLengths(double sampleRate);

}  // namespace halcyra
