#pragma once
// Arrays on whole cache lines. Threads that write neighbouring parts of an
// array, each its own part, then never write to the same line: the processor
// would otherwise pass that line back and forth between their caches.

#include <cstddef>
#include <new>
#include <vector>

namespace orb {

inline constexpr std::size_t kCacheLine = 64;

template <class T>
struct CacheAligned {
    using value_type = T;
    CacheAligned() = default;
    template <class U>
    CacheAligned(const CacheAligned<U>&)
    {
    }
    T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t{kCacheLine})); }
    void deallocate(T* p, std::size_t n) { ::operator delete(p, n * sizeof(T), std::align_val_t{kCacheLine}); }
    friend bool operator==(const CacheAligned&, const CacheAligned&) { return true; }
};

template <class T>
using AlignedVector = std::vector<T, CacheAligned<T>>;

}  // namespace orb
