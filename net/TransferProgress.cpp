#include "net/TransferProgress.h"

int ProgressPercent(uint64_t received, uint64_t length) {
    if (length == 0 || received >= length)
        return 100;
    // From here received < length, so the true value is below 100.
    if (received <= UINT64_MAX / 100)
        return static_cast<int>(received * 100 / length);
    // Only lengths near 2^64 get here; dividing first keeps it in range.
    const uint64_t percent = received / (length / 100);
    return percent > 99 ? 99 : static_cast<int>(percent);
}
