#include <cmath>

#include "engine/PullKernel.h"

namespace orb {

namespace base { extern const PullKernels kernels; }
#ifdef ORB_HAVE_X86_KERNELS
namespace v3 { extern const PullKernels kernels; }
namespace v4 { extern const PullKernels kernels; }
#endif

const PullKernels& pullKernels()
{
    static const PullKernels* chosen = [] {
#ifdef ORB_HAVE_X86_KERNELS
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw"))
            return &v4::kernels;
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return &v3::kernels;
#endif
        return &base::kernels;
    }();
    return *chosen;
}

PowKind powKindOf(double e)
{
    if (e == 2.0) return PowKind::Two;
    if (e == 1.5) return PowKind::OneAndHalf;
    if (e == 1.0) return PowKind::One;
    return PowKind::General;
}

double powOf(PowKind kind, double r, double r2, double e)
{
    switch (kind) {
    case PowKind::Two: return r2;
    case PowKind::OneAndHalf: return r * std::sqrt(r);
    case PowKind::One: return r;
    case PowKind::General: return std::pow(r, e);
    }
    return std::pow(r, e);
}

}  // namespace orb
