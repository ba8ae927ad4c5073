#pragma once
// Test doubles: a canvas that records every point, and random numbers from a
// script.

#include <deque>
#include <initializer_list>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Random.h"

namespace orb::test {

struct Point {
    int x, y;
    Rgb colour;
    friend bool operator==(const Point&, const Point&) = default;
};

class RecordingCanvas final : public Canvas {
public:
    void pset(int x, int y, Rgb colour) override { points.push_back({x, y, colour}); }
    void cls() override { ++clears; points.clear(); }
    std::vector<Point> points;
    int clears = 0;
};

// Hands out the scripted values in order, then `fallback` for ever after;
// counts how many were drawn.
class ScriptedRandom final : public RandomSource {
public:
    ScriptedRandom(std::initializer_list<float> values = {}, float fallback = 0.5f)
        : values_(values), fallback_(fallback) {}
    float rnd() override
    {
        ++drawn;
        if (values_.empty()) return fallback_;
        float v = values_.front();
        values_.pop_front();
        return v;
    }
    void reseed(double) override {}
    void push(float v) { values_.push_back(v); }
    int drawn = 0;

private:
    std::deque<float> values_;
    float fallback_;
};

}  // namespace orb::test
