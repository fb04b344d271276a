// Dotted versions as the version file, the last-upgrade record and a program's
// version resource carry them: one to four parts, each 0 to 65535, compared part
// by part (3.1.0.0 is newer than 3.0.10.0).
#pragma once

#include "GantryVersion.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct DottedVersion {
    std::array<uint16_t, 4> parts{}; // missing parts are 0

    // "a.b.c.d", always four parts: what the launcher shows and stores.
    std::wstring ToString() const;
};

// Digits only, one to four parts joined by single dots, each at most 65535
// (leading zeros allowed); anything else, blanks and signs included, is no version.
std::optional<DottedVersion> ParseDottedVersion(const std::wstring& text);

// Negative, zero or positive as a is older than, the same as or newer than b.
int CompareVersions(const DottedVersion& a, const DottedVersion& b);

// The running launcher's own version, from its build.
constexpr DottedVersion kRunningVersion{
    {GANTRY_VERSION_MAJOR, GANTRY_VERSION_MINOR, GANTRY_VERSION_PATCH, GANTRY_VERSION_BUILD}};
