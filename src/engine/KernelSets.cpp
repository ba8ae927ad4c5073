#include <cmath>
#include <vector>

#include "engine/PullKernel.h"

namespace orb {

namespace base { extern const KernelSet kernels; }
#ifdef ORB_HAVE_X86_KERNELS
namespace v3 { extern const KernelSet kernels; }
namespace v4 { extern const KernelSet kernels; }
#endif

namespace {

const std::vector<const KernelSet*>& runnable()
{
    static const std::vector<const KernelSet*> list = [] {
        std::vector<const KernelSet*> l{&base::kernels};
#ifdef ORB_HAVE_X86_KERNELS
        __builtin_cpu_init();
        const bool v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                        __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
        if (v3) l.push_back(&v3::kernels);
        if (v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512cd"))
            l.push_back(&v4::kernels);
#endif
        return l;
    }();
    return list;
}

}  // namespace

std::span<const KernelSet* const> runnableKernelSets() { return runnable(); }

const KernelSet& bestKernelSet() { return *runnable().back(); }

const KernelSet* findKernelSet(std::string_view name)
{
    for (const KernelSet* k : runnable())
        if (name == k->name) return k;
    return nullptr;
}

void finishRow(const RowCarry& c, int p, PowKind kind, double& sx, double& sy, double& near)
{
    combineRow(c, p, kind, sx, sy, near);
}

PowKind powKindOf(double e)
{
    if (e == 2.0) return PowKind::Two;
    if (e == 1.5) return PowKind::OneAndHalf;
    if (e == 1.0) return PowKind::One;
    return PowKind::General;
}

double radiusSquaredBound(double radius)
{
    if (std::isnan(radius)) return INFINITY;  // no distance is beyond it
    if (radius < 0) return -1;
    if (std::isinf(radius)) return INFINITY;
    double t = radius * radius;
    // radius^2 rounded may lie on either side of the true square: settle on the
    // last value whose square root is still at most the radius.
    while (t > 0 && std::sqrt(t) > radius) t = std::nextafter(t, 0.0);
    while (std::sqrt(std::nextafter(t, INFINITY)) <= radius) t = std::nextafter(t, INFINITY);
    return t;
}

bool exactPull(double xi, double yi, double xq, double yq, double kq, double pR, PowKind kind, double e,
               double& px, double& py)
{
    const double dx = xq - xi, dy = yq - yi;
    const double r2 = dx * dx + dy * dy;
    const double r = std::sqrt(r2);
    if (!(r > pR) || r == 0) return false;
    double rE = 0;
    switch (kind) {
    case PowKind::Two: rE = r2; break;
    case PowKind::OneAndHalf: rE = r * std::sqrt(r); break;
    case PowKind::One: rE = r; break;
    case PowKind::General: rE = std::pow(r, e); break;
    }
    // As the plain pass has it: a = 10000 f g / r^e, then along dx / r and dy / r.
    const double a = kq / rE;
    px = a * (dx / r);
    py = a * (dy / r);
    return std::isfinite(px) && std::isfinite(py);
}

}  // namespace orb
