#include "net/TransferProgress.h"

namespace {

// floor(10 * a / length) and 10 * a mod length for a < length, by adding a ten
// times and taking length off whenever the sum reaches it: no step can overflow.
int TenTimesDigit(uint64_t& a, uint64_t length) {
    uint64_t sum = 0;
    int digit = 0;
    for (int i = 0; i < 10; ++i) {
        if (sum >= length - a) {
            sum -= length - a;
            ++digit;
        } else {
            sum += a;
        }
    }
    a = sum;
    return digit;
}

} // namespace

int ProgressPercent(uint64_t received, uint64_t length) {
    if (length == 0 || received >= length)
        return 100;
    // Two decimal digits of received / length, exact for any 64-bit length.
    const int tens = TenTimesDigit(received, length);
    return tens * 10 + TenTimesDigit(received, length);
}
