// The fast tick against the pair-by-pair reference, tick by tick, on a crowd
// close enough that partial collisions, merges and border events all happen.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Borders.h"
#include "engine/Contact.h"
#include "engine/Drawing.h"
#include "engine/Pull.h"
#include "engine/Ticker.h"
#include "engine/PullKernel.h"
#include "engine/PullSplit.h"
#include "engine/ReferenceTick.h"
#include "engine/WorkerPool.h"
#include "support/Golden.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::RecordingCanvas;

// A crowd of 300 bodies in the bottom-left corner of the field, light enough
// that their pulls are gentle (rounding differences stay at rounding size over
// the run) but close enough to touch. Positions and momenta are random
// fractions, so no distance sits on a zone boundary.
World crowd(int bodies, double seed)
{
    World w;
    Rng r(seed);
    auto uniform = [&](double lo, double hi) { return test::fineUniform(r, lo, hi); };
    w.bodyCount = static_cast<std::int16_t>(bodies - 1);
    w.planetRadius = 5;
    w.coreRadius = 2;
    w.volatility = 1;
    w.volatilitySpan = 3;
    w.borderMode = 1;
    w.startMomentum = 24;
    w.startMomentumSpan = 25;
    w.startMomentumOffset = 6;
    for (int i = 0; i < kSlots; ++i) {
        w.posX[i] = uniform(905, 1400);
        w.posY[i] = uniform(10700, 11215);
        w.momX[i] = uniform(-3, 3);
        w.momY[i] = uniform(-3, 3);
        w.gravity[i] = uniform(2e-5, 1e-4);
        w.colRed[i] = std::floor(uniform(0, 256));
        w.colGreen[i] = std::floor(uniform(0, 256));
        w.colBlue[i] = std::floor(uniform(0, 256));
        w.bodyType[i] = 3;
        w.outOfPlay[i] = i >= bodies || i % 37 == 5 ? 1 : 0;  // a few switched off
    }
    return w;
}

// Equal up to rounding: relative 1e-9, with an absolute floor near zero.
bool sameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool allFiniteMomenta(const World& w)
{
    for (int i = 0; i < kSlots; ++i)
        if (!std::isfinite(w.momX[i]) || !std::isfinite(w.momY[i])) return false;
    return true;
}

bool close(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max({std::fabs(a), std::fabs(b), 1.0}); }

testing::AssertionResult sameWorld(const World& fast, const World& ref)
{
    for (int i = 0; i < kSlots; ++i) {
        std::ostringstream why;
        if (fast.outOfPlay[i] != ref.outOfPlay[i]) why << "outOfPlay " << fast.outOfPlay[i] << " vs " << ref.outOfPlay[i];
        else if (!sameValue(fast.gravity[i], ref.gravity[i])) why << "gravity " << fast.gravity[i] << " vs " << ref.gravity[i];
        else if (!close(fast.posX[i], ref.posX[i])) why << "posX " << fast.posX[i] << " vs " << ref.posX[i];
        else if (!close(fast.posY[i], ref.posY[i])) why << "posY " << fast.posY[i] << " vs " << ref.posY[i];
        else if (!close(fast.momX[i], ref.momX[i])) why << "momX " << fast.momX[i] << " vs " << ref.momX[i];
        else if (!close(fast.momY[i], ref.momY[i])) why << "momY " << fast.momY[i] << " vs " << ref.momY[i];
        else continue;
        return testing::AssertionFailure() << "body " << i << ": " << why.str();
    }
    return testing::AssertionSuccess();
}

// The thread counts every fast tick is tried with: one, and threads sharing
// every tick however small (more threads than this computer has cores too).
const Threading kThreadings[] = {{1}, {2, 0, false}, {3, 0, false}};
// For the long runs: one thread, and two sharing every tick.
const Threading kLongRunThreadings[] = {{1}, {2, 0, false}};

std::string threadsName(const Threading& t) { return std::to_string(t.threads) + " threads"; }

// One tick of the reference and of the fast tick with every set of kernels this
// processor runs and every thread count, each world with its own identically
// seeded random numbers; fails at the first difference.
struct Lockstep {
    World ref;
    SeededRandom rndRef{99};
    struct Fast {
        const KernelSet* kernels;
        Threading threading;
        World world;
        SeededRandom rnd{99};
        Ticker ticker;
    };
    std::vector<std::unique_ptr<Fast>> fast;
    TickStats total;

    explicit Lockstep(const World& start) : ref(start)
    {
        for (const KernelSet* k : runnableKernelSets())
            for (const Threading& t : kThreadings)
                fast.push_back(std::make_unique<Fast>(Fast{k, t, start, SeededRandom{99}, Ticker{*k, t}}));
    }

    testing::AssertionResult tick(const TickInputs& in, int t)
    {
        // The events each tick reports (the score clock's stamps) are compared
        // tick by tick below.
        RecordingCanvas cRef;
        const TickStats b = referenceTick(ref, in, cRef, rndRef);
        total += b;
        for (auto& f : fast) {
            RecordingCanvas c;
            const TickStats a = f->ticker.tick(f->world, in, c, f->rnd);
            auto fail = [&] {
                return testing::AssertionFailure() << "tick " << t << ", kernels " << f->kernels->name << ", "
                                                   << threadsName(f->threading) << ": ";
            };
            if (a.borderEvents != b.borderEvents || a.partialCollisions != b.partialCollisions ||
                a.merges != b.merges)
                return fail() << "events " << a.borderEvents << "/" << a.partialCollisions << "/" << a.merges
                              << " vs " << b.borderEvents << "/" << b.partialCollisions << "/" << b.merges;
            if (auto same = sameWorld(f->world, ref); !same) return fail() << same.message();
            if (c.points != cRef.points) return fail() << "drawn points differ";
        }
        return testing::AssertionSuccess();
    }

    // The same number of random draws so far: the next draws agree.
    testing::AssertionResult sameDraws()
    {
        const float next = rndRef.rnd();
        for (auto& f : fast)
            if (f->rnd.rnd() != next)
                return testing::AssertionFailure()
                       << f->kernels->name << ", " << threadsName(f->threading) << " drew differently";
        return testing::AssertionSuccess();
    }
};

struct Case {
    const char* name;
    double planetoidFactor;
    double exponent;
    int border;
    double pullFactor = 1;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Equivalence : public testing::TestWithParam<Case> {};

TEST_P(Equivalence, FastTickMatchesThePairByPairTick)
{
    const Case c = GetParam();
    World start = crowd(300, 7);
    // The central body and the pair sit in the crowd too, heavier, so that with
    // a factor of 2 the few attractors still meet bodies in their zones.
    for (int b = 0; b <= 2; ++b) start.gravity[b] = 3e-4;
    TickInputs in;
    in.planetoidFactor = c.planetoidFactor;
    in.gravityExponent = c.exponent;
    in.borderOption = c.border;
    in.pullFactor = c.pullFactor;
    auto run = std::make_unique<Lockstep>(start);
    for (int t = 0; t < 50; ++t) ASSERT_TRUE(run->tick(in, t));
    ASSERT_TRUE(run->sameDraws());
    // The scene must really exercise every path, or the comparison proves little.
    const TickStats& total = run->total;
    EXPECT_GT(total.borderEvents, 0);
    EXPECT_GT(total.partialCollisions, 0);
    EXPECT_GT(total.merges, 0);
    std::printf("[ %s ] border %ld, partial %ld, merges %ld, fast ticks %zu\n", c.name, total.borderEvents,
                total.partialCollisions, total.merges, run->fast.size());
}

INSTANTIATE_TEST_SUITE_P(
    Tick, Equivalence,
    testing::Values(Case{"Factor2Square", 2, 2, kWall}, Case{"Factor999Square", 999, 2, kWall},
                    Case{"Factor999OneAndHalf", 999, 1.5, kWall}, Case{"Factor2Linear", 2, 1, kWall},
                    // Half the crowd attracts: pulls and kicks one way across the factor.
                    Case{"Factor150Cube", 150.5, 3, kComet},
                    // Border rules that draw random numbers, mixed into the partial collisions.
                    Case{"Factor999Chaos", 999, 1.5, kChaos}, Case{"Factor2FourDim", 2, 2.5, kFourDim},
                    // "Same pull at r0": the strength scaled by r0^(e-2).
                    Case{"Factor999LinearSamePull", 999, 1, kWall, 1.0 / 3000},
                    Case{"Factor2GeneralSamePull", 2, 2.3, kWall, 10.99}),
    [](const auto& info) { return std::string(info.param.name); });

// A pull that is not finite adds nothing, on either path of the fast tick (the
// attractors' pairs and the pull of attractors on the others), while the other
// pulls on the same body still count.
TEST(Equivalence, PullsThatAreNotFiniteAddNothing)
{
    struct Bad {
        const char* name;
        double gravity0;  // gravity of body 0
        double exponent;
    } cases[] = {
        {"HugeGravity", 1e305, 2},                // 10000 x gravity overflows
        {"NotANumber", std::nan(""), 2},
        {"UnderflowingPower", 1, -400},           // r^e underflows to 0
        {"HugeGravityOneAndHalf", 1e305, 1.5},
    };
    for (const Bad& b : cases) {
        for (double factor : {2.0, 999.0}) {
            SCOPED_TRACE(std::string(b.name) + (factor == 2 ? ", factor 2" : ", factor 999"));
            World start = crowd(12, 3);
            for (int i = 0; i < 12; ++i) {  // spread out: no zones, no merges
                start.posX[i] = 2000 + 900 * i + 0.25 * i;
                start.posY[i] = 3000 + 500 * (i % 3) + 0.5;
                start.gravity[i] = 1 + 0.1 * i;
                start.outOfPlay[i] = 0;
            }
            start.gravity[0] = b.gravity0;
            TickInputs in;
            in.planetoidFactor = factor;
            in.gravityExponent = b.exponent;
            in.borderOption = -1;
            auto run = std::make_unique<Lockstep>(start);
            for (int t = 0; t < 3; ++t) ASSERT_TRUE(run->tick(in, t));
            ASSERT_TRUE(allFiniteMomenta(run->ref));
            // Body 6 is moved only by the finite pulls of bodies 1 and 2 (and of
            // every other body with factor 999), never by body 0's.
            World once = start;
            SeededRandom r(1);
            RecordingCanvas canvas;
            referenceTick(once, in, canvas, r);
            double expectX = start.momX[6];
            for (int j = factor == 2 ? 2 : 11; j >= 1; --j) {
                if (j == 6) continue;
                const double dx = once.posX[j] - once.posX[6], dy = once.posY[j] - once.posY[6];
                const double rr = std::sqrt(dx * dx + dy * dy);
                const double a = 10000 * once.gravity[j] / std::pow(rr, b.exponent);
                if (std::isfinite(a * dx / rr) && std::isfinite(a * dy / rr)) expectX += a * dx / rr;
            }
            EXPECT_NEAR(once.momX[6], expectX, 1e-9 * std::max(1.0, std::fabs(expectX)));
        }
    }
}

// The merge search against the pair-by-pair pass on scenes that strain a grid:
// bodies all on one line, a chain of close bodies merging in turn, a dense knot
// with far-flung outliers, pairs just inside and just outside the core radius.
TEST(Equivalence, MergeSearchFindsEveryClosePair)
{
    struct Scene {
        const char* name;
        std::function<void(World&)> place;
    } scenes[] = {
        {"OneLine",
         [](World& w) {
             for (int i = 1; i <= w.bodyCount; ++i) {
                 w.posX[i] = 1000 + 1.7 * i + 0.01 * (i % 7);
                 w.posY[i] = 5000;
             }
         }},
        {"KnotAndOutliers",
         [](World& w) {
             Rng r(5);
             for (int i = 1; i <= w.bodyCount; ++i) {
                 w.posX[i] = 7000 + 60 * static_cast<double>(r.rnd());
                 w.posY[i] = 4000 + 60 * static_cast<double>(r.rnd());
             }
             w.posX[7] = -3e9;
             w.posY[8] = 4e12;
             w.posX[9] = 1e300;
         }},
        {"DenseKnot",  // cells no wider than the core radius: close pairs in every direction
         [](World& w) {
             Rng r(8);
             for (int i = 1; i <= w.bodyCount; ++i) {
                 w.posX[i] = 3000 + 24 * static_cast<double>(r.rnd());
                 w.posY[i] = 3000 + 24 * static_cast<double>(r.rnd());
             }
         }},
        {"AtTheRadius",
         [](World& w) {
             for (int i = 1; i <= w.bodyCount; ++i) {
                 const int pair = i / 2;
                 w.posX[i] = 1000 + 37.3 * (pair % 40);
                 w.posY[i] = 1000 + 41.1 * (pair / 40);
                 // Odd bodies sit just outside the core radius of their partner,
                 // exactly on it (no merge either), or just inside.
                 if (i % 2) w.posX[i] += pair % 3 == 0 ? 2.0000001 : pair % 3 == 1 ? 2.0 : 1.9999999;
             }
         }},
    };
    for (const Scene& sc : scenes) {
        SCOPED_TRACE(sc.name);
        World start = crowd(200, 11);
        sc.place(start);
        for (int i = 0; i < 200; ++i) {
            start.momX[i] = start.momY[i] = 0;
            start.gravity[i] = 1 + (i % 5);  // ties and both survivors
        }
        start.posX[0] = 20000;  // sol out of the way
        TickInputs in;
        in.planetoidFactor = 2;
        in.gravityExponent = 2;
        in.borderOption = -1;  // nobody is moved back into the field
        auto run = std::make_unique<Lockstep>(start);
        ASSERT_TRUE(run->tick(in, 0));
        EXPECT_GT(run->total.merges, 0);
    }
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// The kernels on their own against pair-by-pair sums, for every row length up
// to a few whole passes of the widest set: pairs inside the planet radius and
// at the same place add nothing, and the padding past the last attractor or
// body, full of values that would spoil any sum they reached, reaches none.
TEST(Equivalence, KernelsSumEveryPullOnceWhateverTheLength)
{
    const double pR = 5, pR2 = radiusSquaredBound(pR);
    const double spoilers[] = {std::nan(""), INFINITY, -INFINITY, 1e308, 0.0};
    auto padded = [&](std::vector<double> v) {
        for (int i = 0; i < kPullPad; ++i) v.push_back(spoilers[i % 5]);
        return v;
    };
    for (double e : {2.0, 1.5, 1.0, 1.7}) {
        const PowKind kind = powKindOf(e);
        for (int m = 0; m <= 140; ++m) {
            SCOPED_TRACE("exponent " + std::to_string(e) + ", " + std::to_string(m) + " attractors");
            Rng r(m + 1);
            std::vector<double> x, y, grav, g, bx, by;
            for (int i = 0; i < m; ++i) {
                x.push_back(2000 * static_cast<double>(r.rnd()));
                y.push_back(2000 * static_cast<double>(r.rnd()));
                grav.push_back(0.5 + static_cast<double>(r.rnd()));
                g.push_back(10000 * grav.back());
                bx.push_back(2000 * static_cast<double>(r.rnd()));
                by.push_back(2000 * static_cast<double>(r.rnd()));
            }
            if (m > 2) {
                x[1] = x[0], y[1] = y[0];  // the same place
                x[2] = x[0] + 3, y[2] = y[0];  // inside the planet radius
                bx[0] = x[m - 1], by[0] = y[m - 1];
                bx[1] = x[m - 1] - 2, by[1] = y[m - 1] + 2;
            }
            // The plain sum of the pulls on a body at (xi, yi), leaving out `self`,
            // and the scale of its terms, for a tolerance that allows for the
            // order of the sum.
            auto plain = [&](double xi, double yi, int self, double& sx, double& sy, double& scale) {
                sx = sy = scale = 0;
                for (int q = 0; q < m; ++q) {
                    double px, py;
                    if (q == self || !exactPull(xi, yi, x[q], y[q], g[q], pR, kind, e, px, py)) continue;
                    sx += px;
                    sy += py;
                    scale += std::fabs(px) + std::fabs(py);
                }
            };
            auto nearest = [&](double xi, double yi, int from) {
                double n = INFINITY;
                for (int q = from; q < m; ++q) {
                    const double dx = x[q] - xi, dy = y[q] - yi;
                    n = std::min(n, dx * dx + dy * dy);
                }
                return n;
            };
            const std::vector<double> px = padded(x), py = padded(y), pg = padded(g), pbx = padded(bx),
                                      pby = padded(by);
            const PullRowArgs args{px.data(), py.data(), pg.data(), m, pR2, kind, e};
            std::vector<double> firstSym, firstPulled;
            for (const KernelSet* k : runnableKernelSets()) {
                SCOPED_TRACE(k->name);
                std::vector<double> sx = padded(std::vector<double>(m, 0.0)), sy = sx, near = sx;
                k->symmetric(args, sx.data(), sy.data(), near.data());
                std::vector<double> bsx = padded(std::vector<double>(m)), bsy = bsx, bnear = bsx;
                k->pulled(args, pbx.data(), pby.data(), m, bsx.data(), bsy.data(), bnear.data());
                for (int i = 0; i < m; ++i) {
                    double ex, ey, scale;
                    plain(x[i], y[i], i, ex, ey, scale);
                    ASSERT_NEAR(sx[i], ex, 1e-12 * scale) << "attractor " << i;
                    ASSERT_NEAR(sy[i], ey, 1e-12 * scale) << "attractor " << i;
                    ASSERT_EQ(near[i], nearest(x[i], y[i], i + 1)) << "attractor " << i;
                    plain(bx[i], by[i], -1, ex, ey, scale);
                    ASSERT_NEAR(bsx[i], ex, 1e-12 * scale) << "body " << i;
                    ASSERT_NEAR(bsy[i], ey, 1e-12 * scale) << "body " << i;
                    ASSERT_EQ(bnear[i], nearest(bx[i], by[i], 0)) << "body " << i;
                }
                // Bit for bit the sums of the first set.
                std::vector<double> sym(sx.begin(), sx.begin() + m), pulled(bsx.begin(), bsx.begin() + m);
                sym.insert(sym.end(), sy.begin(), sy.begin() + m);
                pulled.insert(pulled.end(), bsy.begin(), bsy.begin() + m);
                if (firstSym.empty() && firstPulled.empty()) {
                    firstSym = sym;
                    firstPulled = pulled;
                }
                EXPECT_TRUE(sameBits(sym, firstSym));
                EXPECT_TRUE(sameBits(pulled, firstPulled));
            }
        }
    }
}

// The symmetric loop cut into blocks, taken in any order that keeps rows and
// columns in turn, and the pull sums shared among threads, give the sums of the
// whole loop bit for bit: for row counts about the block and vector sizes,
// blocks of odd sizes, pairs inside the planet radius, and every kind of power.
TEST(Equivalence, SumsCutIntoBlocksOrSharedAreTheWholeLoopsBitForBit)
{
    const double pR2 = radiusSquaredBound(5);
    WorkerPool pools[] = {WorkerPool(1), WorkerPool(2), WorkerPool(3)};
    PullSplit split;
    for (double e : {2.0, 1.5, 1.0, 1.7}) {
        for (int m : {1, 2, 7, 8, 9, 33, 64, 65, 100, 161, 300}) {
            SCOPED_TRACE("exponent " + std::to_string(e) + ", " + std::to_string(m) + " attractors");
            Rng r(m + 5);
            const int nb = 2 * m + 3;
            std::vector<double> x, y, g, bx, by;
            for (int i = 0; i < m + kPullPad; ++i) {
                x.push_back(i < m ? 3000 * static_cast<double>(r.rnd()) : 0.0);
                y.push_back(i < m ? 3000 * static_cast<double>(r.rnd()) : 0.0);
                g.push_back(10000 * (0.5 + static_cast<double>(r.rnd())));
            }
            if (m > 4) x[4] = x[3] + 2, y[4] = y[3];  // inside the planet radius
            for (int i = 0; i < nb + kPullPad; ++i) {
                bx.push_back(3000 * static_cast<double>(r.rnd()));
                by.push_back(3000 * static_cast<double>(r.rnd()));
            }
            const PullRowArgs args{x.data(), y.data(), g.data(), m, pR2, powKindOf(e), e};
            auto zeros = [](int n) { return std::vector<double>(static_cast<std::size_t>(n + kPullPad), 0.0); };
            auto firstM = [&](const std::vector<double>& v, int n) { return std::vector<double>(v.begin(), v.begin() + n); };
            for (const KernelSet* k : runnableKernelSets()) {
                SCOPED_TRACE(k->name);
                std::vector<double> sx = zeros(m), sy = zeros(m), near = zeros(m);
                k->symmetric(args, sx.data(), sy.data(), near.data());
                std::vector<double> bsx = zeros(nb), bsy = zeros(nb), bnear = zeros(nb);
                k->pulled(args, bx.data(), by.data(), nb, bsx.data(), bsy.data(), bnear.data());

                // Blocks of odd sizes: each band of rows through its column
                // blocks, bands in turn.
                for (const auto& [rows, columns] : {std::pair{1, 8}, std::pair{5, 16}, std::pair{13, 40}}) {
                    std::vector<double> cx = zeros(m), cy = zeros(m), cnear = zeros(m);
                    std::vector<RowCarry> carry(static_cast<std::size_t>(m));
                    for (int p0 = 0; p0 < m; p0 += rows) {
                        const int p1 = std::min(m, p0 + rows);
                        for (int q0 = (p0 + 1) / columns * columns; q0 < m; q0 += columns)
                            k->symmetricBlock(args, p0, p1, q0, q0 + columns, cx.data(), cy.data(), carry.data());
                    }
                    for (int p = 0; p < m; ++p) finishRow(carry[p], p, args.kind, cx[p], cy[p], cnear[p]);
                    EXPECT_TRUE(sameBits(firstM(cx, m), firstM(sx, m)) && sameBits(firstM(cy, m), firstM(sy, m)) &&
                                sameBits(firstM(cnear, m), firstM(near, m)))
                        << "blocks of " << rows << " rows by " << columns << " columns";
                }

                // The cuts between the workers' ranges, and the strip, move
                // with their speeds: as learnt, and with the first worker four
                // times as fast as the others or a quarter as fast.
                for (auto [pool, speed] : {std::pair{&pools[0], 0.0}, {&pools[1], 0.0}, {&pools[1], 4.0},
                                           {&pools[1], 0.25}, {&pools[2], 0.0}, {&pools[2], 4.0}}) {
                    for (int w = 0; w < pool->size(); ++w) split.balance().setSpeed(w, speed == 0 ? 0 : w == 0 ? speed : 1);
                    for (auto part : {Balance::kCornerAndStrip, Balance::kRows})
                        split.balance().setPartSpeed(part, speed);
                    for (auto part : {Balance::kColumns, Balance::kCorner})
                        split.balance().setPartSpeed(part, speed == 0 ? 0 : 1);
                    // The sums start from whatever the last tick left: the
                    // workers clear what they build.
                    const std::vector<double> stale(static_cast<std::size_t>(m + kPullPad),
                                                    std::numeric_limits<double>::quiet_NaN());
                    std::vector<double> ax = stale, ay = stale, anear = stale;
                    std::vector<double> ox = zeros(nb), oy = zeros(nb), onear = zeros(nb);
                    std::vector<int> rowsDone(static_cast<std::size_t>(m)), bodiesDone(static_cast<std::size_t>(nb));
                    const PullArrays arrays{args,      ax.data(), ay.data(), anear.data(), bx.data(),
                                            by.data(), nb,        ox.data(), oy.data(),    onear.data()};
                    split.reset(m, pool->size());
                    auto job = [&](int w) {
                        split.work(
                            w, *k, arrays, [&](int p0, int p1) { for (int p = p0; p < p1; ++p) ++rowsDone[p]; },
                            [&](int b0, int b1) { for (int b = b0; b < b1; ++b) ++bodiesDone[b]; });
                    };
                    pool->run(job);
                    split.rebalance();
                    EXPECT_TRUE(sameBits(firstM(ax, m), firstM(sx, m)) && sameBits(firstM(ay, m), firstM(sy, m)) &&
                                sameBits(firstM(anear, m), firstM(near, m)))
                        << "attractors, " << pool->size() << " threads, cut at " << split.cut(1) << ", strip to " << split.strip();
                    EXPECT_TRUE(sameBits(firstM(ox, nb), firstM(bsx, nb)) && sameBits(firstM(oy, nb), firstM(bsy, nb)) &&
                                sameBits(firstM(onear, nb), firstM(bnear, nb)))
                        << "other bodies, " << pool->size() << " threads";
                    EXPECT_EQ(std::count(rowsDone.begin(), rowsDone.end(), 1), m);
                    EXPECT_EQ(std::count(bodiesDone.begin(), bodiesDone.end(), 1), nb);
                }
            }
        }
    }
}

// Every kernel set and every thread count gives the same body table, bit for
// bit, tick after tick of a long run of the crowd, so that a scene plays out
// alike on every processor.
struct LongRun {
    const char* name;
    double exponent;
    double planetoidFactor;
    int ticks;
};

void PrintTo(const LongRun& r, std::ostream* os) { *os << r.name; }

class KernelSetsAgree : public testing::TestWithParam<LongRun> {};

TEST_P(KernelSetsAgree, SameBodyTableBitForBit)
{
    World start = crowd(300, 7);
    for (int b = 0; b <= 2; ++b) start.gravity[b] = 3e-4;
    TickInputs in;
    in.planetoidFactor = GetParam().planetoidFactor;
    in.gravityExponent = GetParam().exponent;
    in.borderOption = kWall;
    struct Run {
        const KernelSet* kernels;
        Threading threading;
        World world;
        SeededRandom rnd;
        Ticker ticker;
    };
    std::vector<std::unique_ptr<Run>> runs;
    for (const KernelSet* k : runnableKernelSets())
        for (const Threading& t : kLongRunThreadings)
            runs.push_back(std::make_unique<Run>(Run{k, t, start, SeededRandom{99}, Ticker{*k, t}}));
    test::NullCanvas canvas;
    TickStats total;
    for (int t = 0; t < GetParam().ticks; ++t) {
        for (auto& r : runs) {
            const TickStats st = r->ticker.tick(r->world, in, canvas, r->rnd);
            if (r == runs.front()) total += st;
        }
        for (std::size_t i = 1; i < runs.size(); ++i) {
            const std::string why = test::bodyTableDifference(runs[0]->world, runs[i]->world);
            ASSERT_TRUE(why.empty()) << "tick " << t << ", " << runs[i]->kernels->name << " with "
                                     << threadsName(runs[i]->threading) << " against " << runs[0]->kernels->name
                                     << " with one: " << why;
        }
    }
    // The run must crowd and merge bodies, or the agreement proves little.
    EXPECT_GT(total.partialCollisions, 0);
    EXPECT_GT(total.merges, 0);
    std::printf("[ %s ] border %ld, partial %ld, merges %ld, runs %zu\n", GetParam().name, total.borderEvents,
                total.partialCollisions, total.merges, runs.size());
}

INSTANTIATE_TEST_SUITE_P(Tick, KernelSetsAgree,
                         testing::Values(LongRun{"Square", 2, 999, 3000}, LongRun{"OneAndHalf", 1.5, 999, 3000},
                                         LongRun{"Linear", 1, 999, 3000},
                                         // Pair by pair with pow: slow, and shorter for that.
                                         LongRun{"General", 1.7, 999, 1000},
                                         // Half the crowd attracts: the pulls on the others too.
                                         LongRun{"HalfAttractSquare", 2, 150.5, 3000},
                                         LongRun{"HalfAttractOneAndHalf", 1.5, 150.5, 3000}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orb
