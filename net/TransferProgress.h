// Progress arithmetic of a body transfer.
#pragma once

#include <cstdint>

// received * 100 / length in 64 bits, so bodies up to 4 GiB (and beyond) cannot
// overflow, clamped to 0..100. A zero length counts as complete.
int ProgressPercent(uint64_t received, uint64_t length);
