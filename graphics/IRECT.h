// A rectangle in logical canvas units: left, top, right, bottom; y grows downward.
#pragma once

#include <algorithm>

namespace halcyra {

struct IRECT {
    float L = 0.0f;
    float T = 0.0f;
    float R = 0.0f;
    float B = 0.0f;

    constexpr IRECT() = default;
    constexpr IRECT(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

    static constexpr IRECT MakeXYWH(float x, float y, float w, float h) { return {x, y, x + w, y + h}; }

    constexpr float W() const { return R - L; }
    constexpr float H() const { return B - T; }
    constexpr float MW() const { return 0.5f * (L + R); }
    constexpr float MH() const { return 0.5f * (T + B); }
    constexpr bool Empty() const { return W() <= 0.0f || H() <= 0.0f; }

    // Half-open on the right and bottom so that touching rectangles never share a point.
    constexpr bool Contains(float x, float y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }

    constexpr IRECT GetPadded(float amount) const { return {L - amount, T - amount, R + amount, B + amount}; }
    constexpr IRECT GetPadded(float l, float t, float r, float b) const { return {L + l, T + t, R + r, B + b}; }
    constexpr IRECT GetInset(float amount) const { return GetPadded(-amount); }
    constexpr IRECT GetTranslated(float dx, float dy) const { return {L + dx, T + dy, R + dx, B + dy}; }
    constexpr IRECT GetScaled(float s) const { return {L * s, T * s, R * s, B * s}; }

    constexpr IRECT GetFromTop(float h) const { return {L, T, R, std::min(B, T + h)}; }
    constexpr IRECT GetFromBottom(float h) const { return {L, std::max(T, B - h), R, B}; }
    constexpr IRECT GetFromLeft(float w) const { return {L, T, std::min(R, L + w), B}; }
    constexpr IRECT GetFromRight(float w) const { return {std::max(L, R - w), T, R, B}; }
    constexpr IRECT GetReducedFromTop(float h) const { return {L, std::min(B, T + h), R, B}; }
    constexpr IRECT GetReducedFromBottom(float h) const { return {L, T, R, std::max(T, B - h)}; }

    // The largest centred square that fits, as round widgets want.
    constexpr IRECT GetCentredSquare() const {
        const float s = std::min(W(), H());
        return {MW() - 0.5f * s, MH() - 0.5f * s, MW() + 0.5f * s, MH() + 0.5f * s};
    }

    constexpr IRECT GetCentredInside(float w, float h) const {
        return {MW() - 0.5f * w, MH() - 0.5f * h, MW() + 0.5f * w, MH() + 0.5f * h};
    }

    constexpr IRECT Intersect(const IRECT& o) const {
        return {std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B)};
    }

    constexpr IRECT Union(const IRECT& o) const {
        if (Empty()) return o;
        if (o.Empty()) return *this;
        return {std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B)};
    }

    constexpr bool operator==(const IRECT&) const = default;
};

}  // namespace halcyra
