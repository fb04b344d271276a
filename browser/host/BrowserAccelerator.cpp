#include "browser/host/BrowserAccelerator.h"

namespace {
// The values of the Windows constants, so this file needs no Windows header.
constexpr unsigned kKeyFirst = 0x0100, kKeyUp = 0x0101, kKeyLast = 0x0109;
constexpr unsigned kTab = 0x09, kReturn = 0x0D, kDelete = 0x2E;
} // namespace

bool IsBrowserAccelerator(unsigned message, unsigned key, bool ctrlDown) {
    if (message < kKeyFirst || message > kKeyLast)
        return false;
    if (message == kKeyUp)
        return true;
    if (key == kTab || key == kReturn || key == kDelete)
        return true;
    return ctrlDown && (key == 'C' || key == 'V' || key == 'X' || key == 'Z');
}
