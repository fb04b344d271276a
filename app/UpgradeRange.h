// The version decision on a downloaded server version file: is there a newer
// build, has it not been started for already, and is this build one of those the
// server wants upgraded.
#pragma once

#include "app/base/Endpoints.h"

#include <string>

// "upgraderange": items separated by ",", each a build number or two joined by "-"
// (both ends included); an empty range means every build. An item with other
// than one "-" is skipped.
bool IsInUpgradeRange(const std::wstring& range, int build = endpoints::kBuildNumber);

// True when the upgrade is to be offered: the dotted "currentversion" read as the
// number its digits form once the dots are removed ("3.0.10.0" is 30100) is above
// the build, the last version the upgrader was started for ("lastUpgradeVer",
// read the same way) is below it, and the build is in the range. A version that
// reads as 0 (empty, not a number) is never offered.
bool IsUpgradeOffered(const std::wstring& currentVersion, const std::wstring& upgradeRange,
                      const std::wstring& lastUpgradeVersion, int build = endpoints::kBuildNumber);
