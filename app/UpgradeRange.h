// The version decision on a downloaded server version file: is there a newer
// build, has it not been started for already, and is this build one of those the
// server wants upgraded.
#pragma once

#include "app/DottedVersion.h"
#include "app/base/Endpoints.h"

#include <optional>

#include <string>

// "upgraderange": items separated by ",", each a build number or two joined by "-"
// (both ends included); an empty range means every build. An item with other
// than one "-" is skipped.
bool IsInUpgradeRange(const std::wstring& range, int build = endpoints::kBuildNumber);

// The version to offer, when there is one: the dotted "currentversion" is a
// version (see ParseDottedVersion) newer than the running one, the last version
// the upgrader was started for ("lastUpgradeVer") is older than it, and the build
// is in the range. A "lastUpgradeVer" that is no version counts as none (it is
// only ever written from a verified upgrader); a "currentversion" that is no
// version offers nothing.
std::optional<DottedVersion> OfferedUpgrade(const std::wstring& currentVersion,
                                            const std::wstring& upgradeRange,
                                            const std::wstring& lastUpgradeVersion,
                                            const DottedVersion& running = kRunningVersion,
                                            int build = endpoints::kBuildNumber);

// True when the downloaded upgrader may be started: its file version (none when
// it has no version resource) is exactly the announced one and newer than the
// running launcher. Anything else is some other program of the same publisher.
bool IsAnnouncedUpgrader(const std::optional<DottedVersion>& fileVersion, const DottedVersion& announced,
                         const DottedVersion& running = kRunningVersion);
