#include "app/UpgradeRange.h"

#include "app/base/TextUtils.h"

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

std::optional<DottedVersion> OfferedUpgrade(const std::wstring& currentVersion,
                                            const std::wstring& upgradeRange,
                                            const std::wstring& lastUpgradeVersion,
                                            const DottedVersion& running, int build) {
    const std::optional<DottedVersion> newest = ParseDottedVersion(currentVersion);
    if (!newest || CompareVersions(*newest, running) <= 0)
        return std::nullopt;
    const std::optional<DottedVersion> last = ParseDottedVersion(lastUpgradeVersion);
    if (last && CompareVersions(*last, *newest) >= 0)
        return std::nullopt;
    if (!IsInUpgradeRange(upgradeRange, build))
        return std::nullopt;
    return newest;
}

bool IsAnnouncedUpgrader(const std::optional<DottedVersion>& fileVersion, const DottedVersion& announced,
                         const DottedVersion& running) {
    return fileVersion && CompareVersions(*fileVersion, announced) == 0 &&
           CompareVersions(*fileVersion, running) > 0;
}
