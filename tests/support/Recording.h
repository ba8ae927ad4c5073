#pragma once
// Test doubles: a canvas that records every point, and random numbers from a
// script. Also small helpers to set up a body table for engine tests.

#include <cmath>
#include <deque>
#include <initializer_list>
#include <memory>
#include <vector>

#include "engine/Canvas.h"
#include "engine/RandomSource.h"
#include "world/World.h"

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

// A run of bodies 0..bodyCount, all out of play and parked in the middle of the
// field, so only the bodies a test places take part and no border fires by
// accident. Radii as the program's defaults (5 and 5: no partial-collision zone).
inline std::unique_ptr<World> quietWorld(int bodyCount)
{
    auto w = std::make_unique<World>();
    w->outOfPlay.fill(1);
    w->posX.fill(7680);
    w->posY.fill(5760);
    w->bodyCount = static_cast<std::int16_t>(bodyCount);
    w->planetRadius = 5;
    w->coreRadius = 5;
    return w;
}

// Puts body i in play at (x, y) with momentum (mx, my) and gravity g; its colour
// (i, 100, 200) tells its points apart.
inline void place(World& w, int i, double x, double y, double mx = 0, double my = 0, double g = 0)
{
    w.posX[i] = x;
    w.posY[i] = y;
    w.momX[i] = mx;
    w.momY[i] = my;
    w.gravity[i] = g;
    w.outOfPlay[i] = 0;
    w.colRed[i] = static_cast<float>(i % 256);
    w.colGreen[i] = 100;
    w.colBlue[i] = 200;
}

// No NaN or infinity anywhere in the body table.
inline bool allFinite(const World& w)
{
    for (int i = 0; i < kSlots; ++i)
        for (double v : {w.posX[i], w.posY[i], w.momX[i], w.momY[i], w.gravity[i], w.bodyType[i]})
            if (!std::isfinite(v)) return false;
    return true;
}

}  // namespace orb::test
