// The version file's upgrade range and versions, whatever the server sends.
#include "app/UpgradeRange.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// Parsing and comparing: what parses prints back as itself (in four parts), and
// the order is total and antisymmetric.
void CheckVersions(const std::wstring& a, const std::wstring& b) {
    const std::optional<DottedVersion> va = ParseDottedVersion(a);
    const std::optional<DottedVersion> vb = ParseDottedVersion(b);
    if (va) {
        const std::optional<DottedVersion> again = ParseDottedVersion(va->ToString());
        Require(again && CompareVersions(*again, *va) == 0);
    }
    if (va && vb) {
        const int ab = CompareVersions(*va, *vb), ba = CompareVersions(*vb, *va);
        Require((ab > 0) == (ba < 0) && (ab == 0) == (ba == 0));
        Require((ab == 0) == (va->ToString() == vb->ToString()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int build = in.Int();
    const std::wstring current = in.WideLine();
    const std::wstring range = in.WideLine();
    const std::wstring last = in.WideLine();
    const bool inRange = IsInUpgradeRange(range, build);
    const DottedVersion running{{3, 0, 0, 0}};
    const std::optional<DottedVersion> offered = OfferedUpgrade(current, range, last, running, build);
    // An offer needs the build inside the range, and is the parsed version, newer
    // than the running one and than the last one started.
    if (offered) {
        Require(inRange);
        const std::optional<DottedVersion> parsed = ParseDottedVersion(current);
        Require(parsed && CompareVersions(*parsed, *offered) == 0);
        Require(CompareVersions(*offered, running) > 0);
        const std::optional<DottedVersion> started = ParseDottedVersion(last);
        Require(!started || CompareVersions(*started, *offered) < 0);
        Require(IsAnnouncedUpgrader(offered, *offered, running));
    }
    Require(IsInUpgradeRange(std::wstring(), build));
    CheckVersions(current, last);
    return 0;
}
