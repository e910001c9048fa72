#pragma once

#include <cstdint>

// Milliseconds of a monotonic clock since its first reading, as a 32-bit
// count that wraps after about 49 days; compare readings by signed difference.
uint32_t MonotonicMs();
