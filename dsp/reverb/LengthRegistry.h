// Delay lengths in samples that share no common factor, so the echoes of the
// different lines never line up into a periodic buzz. Lines are picked in a fixed
// order: each new length is nudged upwards until it is coprime with every length
// chosen before it.
#pragma once

#include <array>
#include <numeric>

namespace halcyra {

// Rounds a duration to samples the way the network's tables were tuned: in single
// precision, half up.
inline int samplesFromSeconds(float seconds, float sampleRate) {
    return static_cast<int>(seconds * sampleRate + 0.5f);
}

// Odd lengths, but a 1-sample rounding result is allowed to stay at 2.
inline int roundToOddA(int n) {
    if (n <= 1) return 2;
    return (n % 2 == 0) ? n + 1 : n;
}

// Odd lengths with a floor of 3.
inline int roundToOddB(int n) {
    if (n < 3) n = 2;
    return (n % 2 == 0) ? n + 1 : n;
}

// A small fixed-capacity list of integers, so the coprime searches can run on the
// audio thread without touching the heap.
template <int Capacity>
class LengthList {
public:
    void clear() { count_ = 0; }
    void push(int v) {
        if (count_ < Capacity) values_[count_++] = v;
    }
    int size() const { return count_; }
    int operator[](int i) const { return values_[i]; }
    bool coprimeWithAll(int candidate) const {
        for (int i = 0; i < count_; ++i)
            if (std::gcd(candidate, values_[i]) != 1) return false;
        return true;
    }
    bool containsEven() const {
        for (int i = 0; i < count_; ++i)
            if (values_[i] % 2 == 0) return true;
        return false;
    }

private:
    std::array<int, Capacity> values_{};
    int count_ = 0;
};

// The ordered registry used while a sample rate is prepared.
class LengthRegistry {
public:
    static constexpr int kCapacity = 64;

    void clear() { list_.clear(); }

    // Accepts `length` or the next candidate (stepping by 2) coprime with every
    // registered length, registers it and returns it.
    int add(int length) {
        int candidate = length < 2 ? 2 : length;
        // Stepping by 2 from an even candidate can never escape a registered even
        // length (at very low rates 2 itself may be registered); move to odd first.
        if (candidate % 2 == 0 && list_.containsEven()) ++candidate;
        while (!list_.coprimeWithAll(candidate)) candidate += 2;
        list_.push(candidate);
        return candidate;
    }

    int size() const { return list_.size(); }

private:
    LengthList<kCapacity> list_;
};

// Nearest coprime neighbour of `start` within [2, limit], trying below before
// above at each distance. The winner joins `taken`; with no winner `start` does.
template <int Capacity>
int searchCoprime(int start, LengthList<Capacity>& taken, int limit) {
    const int a = start < 2 ? 2 : start;
    for (int i = 0; i <= limit; ++i) {
        const int below = a - i;
        if (below > 1 && taken.coprimeWithAll(below)) {
            taken.push(below);
            return below;
        }
        const int above = a + i;
        if (above <= limit && taken.coprimeWithAll(above)) {
            taken.push(above);
            return above;
        }
    }
    taken.push(a);
    return a;
}

}  // namespace halcyra
