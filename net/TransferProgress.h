// Progress arithmetic of a body transfer.
#pragma once

#include <cstdint>

// floor(received * 100 / length), clamped to 0..100, computed so that no length a
// 64-bit counter can hold overflows (a 4 GiB body times 100 does not fit 32 bits).
// A zero length counts as complete.
int ProgressPercent(uint64_t received, uint64_t length);
