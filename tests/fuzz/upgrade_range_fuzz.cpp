// The version file's upgrade range and versions, whatever the server sends.
#include "app/UpgradeRange.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int build = in.Int();
    const std::wstring current = in.WideLine();
    const std::wstring range = in.WideLine();
    const std::wstring last = in.WideLine();
    const bool inRange = IsInUpgradeRange(range, build);
    // An offer needs the build inside the range, whatever the versions say.
    Require(!IsUpgradeOffered(current, range, last, build) || inRange);
    Require(IsInUpgradeRange(std::wstring(), build));
    return 0;
}
