#include "app/UpgradeRange.h"

#include "app/base/TextUtils.h"

namespace {

int VersionNumber(const std::wstring& dotted) {
    return StrToInt(RemoveAll(dotted, L"."));
}

} // namespace

bool IsInUpgradeRange(const std::wstring& range, int build) {
    if (range.empty())
        return true;
    for (const std::wstring& piece : SplitString(L",", range)) {
        if (!Contains(piece, L"-")) {
            if (StrToInt(piece) == build)
                return true;
            continue;
        }
        const std::vector<std::wstring> ends = SplitString(L"-", piece);
        if (ends.size() != 2)
            continue;
        if (StrToInt(ends[0]) <= build && StrToInt(ends[1]) >= build)
            return true;
    }
    return false;
}

bool IsUpgradeOffered(const std::wstring& currentVersion, const std::wstring& upgradeRange,
                      const std::wstring& lastUpgradeVersion, int build) {
    const int newest = VersionNumber(currentVersion);
    if (newest == 0)
        return false;
    const int last = VersionNumber(lastUpgradeVersion);
    return newest > build && last < newest && IsInUpgradeRange(upgradeRange, build);
}
