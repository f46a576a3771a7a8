#pragma once

#include <cstdint>
#include <limits>

// Byte arithmetic that stops at the largest count instead of wrapping: a wrapped sum
// of page figures would read as almost no memory in use.
namespace velto::Saturating {

inline std::uint64_t add(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::uint64_t>::max() : sum;
}

inline std::uint64_t multiply(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<std::uint64_t>::max()
                                                  : product;
}

} // namespace velto::Saturating
