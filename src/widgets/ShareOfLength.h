#pragma once

#include <cstdint>

// The part of `size` that `percent` per cent stand for, as the gauges have always
// computed it: (percent × 0.01) × size truncated toward zero, in 80-bit extended
// precision (64-bit significand, rounding to nearest), where 0.01 is the extended value
// nearest to one hundredth. That value lies just below it, so many exact products come
// out one short (20 % of 5 is 0, 10 % of 10 is 0, 20 % of 10 is 1), while 50 % and
// 100 % stay exact. The arithmetic is done on integers, so the result does not depend on
// the compiler's long double. Results beyond 64 bits saturate.
std::int64_t ShareOfLength(std::int64_t percent, std::int64_t size);
