// The version decision on a downloaded version file and the upgrade range.
#include "app/UpgradeRange.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IsInUpgradeRange, MatchesBuildsAndInclusiveRanges) {
    struct Row {
        const wchar_t* range;
        bool in;
    };
    const Row rows[] = {
        {L"", true}, // every build
        {L"3000", true},
        {L"1000-2000,3000", true},
        {L"2000-4000", true},
        {L"3000-3000", true},
        {L"2999-3000", true}, // both ends count
        {L"3000-3001", true},
        {L"2000-2999", false},
        {L"3001", false},
        {L"3001-4000", false},
        {L"1-2-3000", false},     // two dashes: the item is skipped
        {L"1-2-3000,3000", true}, // ...and the next one still counts
        {L"3000-", false},        // one end only: skipped
        {L"-3000", true},         // an empty lower end reads as 0
        {L"4000-2000", false},    // a reversed range holds nothing
        {L" 3000", true},         // numbers may have leading blanks
        {L"3000x", true},         // digits up to the first non-digit
        {L",,3000,", true},       // empty items match nothing but do no harm
        {L"abc", false},
        {L"0", false},
        {L"2500-3500,abc", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsInUpgradeRange(row.range), row.in) << row.range;
}

TEST(IsInUpgradeRange, UsesTheGivenBuild) {
    EXPECT_TRUE(IsInUpgradeRange(L"3000", 3000));
    EXPECT_FALSE(IsInUpgradeRange(L"3000", 3001));
    EXPECT_TRUE(IsInUpgradeRange(L"3000-3005", 3004));
}

TEST(ParseDottedVersion, OneToFourPartsOfSixteenBitsAndNothingElse) {
    struct Row {
        const wchar_t* text;
        const wchar_t* parsed; // null: no version
    };
    const Row rows[] = {
        {L"3.0.1.0", L"3.0.1.0"},
        {L"3", L"3.0.0.0"}, // missing parts are 0
        {L"3.1", L"3.1.0.0"},
        {L"65535.65535.65535.65535", L"65535.65535.65535.65535"},
        {L"03.00.010.0", L"3.0.10.0"}, // leading zeros
        {L"0000000000000000000003", L"3.0.0.0"},
        {L"65536", nullptr},       // a part above 16 bits
        {L"99999999999", nullptr}, // what once saturated to 2147483647
        {L"3.0.0.0.0", nullptr},   // five parts
        {L"", nullptr},
        {L".", nullptr},
        {L"3..0", nullptr}, // an empty part
        {L".3", nullptr},
        {L"3.", nullptr},
        {L" 3.0", nullptr}, // blanks are not digits
        {L"3.0 ", nullptr},
        {L"+3", nullptr},
        {L"-1", nullptr},
        {L"3.0.1.0x", nullptr},
        {L"3,0", nullptr},
        {L"\x0663", nullptr}, // an Arabic-Indic digit is no ASCII digit
    };
    for (const Row& row : rows) {
        const std::optional<DottedVersion> v = ParseDottedVersion(row.text);
        ASSERT_EQ(v.has_value(), row.parsed != nullptr) << row.text;
        if (v) {
            EXPECT_EQ(v->ToString(), row.parsed) << row.text;
        }
    }
}

TEST(CompareVersions, PartByPartFromTheLeft) {
    struct Row {
        const wchar_t* a;
        const wchar_t* b;
        int sign;
    };
    const Row rows[] = {
        {L"3.1.0.0", L"3.0.10.0", 1}, // digits joined would say 3100 < 30100
        {L"3.0.99.0", L"3.0.100.0", -1},
        {L"3", L"3.0.0.0", 0},
        {L"3.0.0.1", L"3", 1},
        {L"2.65535", L"3", -1},
        {L"65535.0", L"65534.65535.65535.65535", 1},
    };
    for (const Row& row : rows) {
        const int result = CompareVersions(*ParseDottedVersion(row.a), *ParseDottedVersion(row.b));
        EXPECT_EQ((result > 0) - (result < 0), row.sign) << row.a << L" vs " << row.b;
        const int back = CompareVersions(*ParseDottedVersion(row.b), *ParseDottedVersion(row.a));
        EXPECT_EQ((back > 0) - (back < 0), -row.sign) << row.b << L" vs " << row.a;
    }
}

TEST(OfferedUpgrade, NewerVersionNotYetStartedForAndInRange) {
    struct Row {
        const char* name;
        const wchar_t* current;
        const wchar_t* range;
        const wchar_t* last;
        const wchar_t* offered; // null: nothing offered
    };
    const Row rows[] = {
        {"this very version", L"3.0.0.0", L"", L"", nullptr},
        {"one step newer", L"3.0.1.0", L"", L"", L"3.0.1.0"},
        {"shown as parsed", L"3.01", L"", L"", L"3.1.0.0"},
        {"already started for this version", L"3.0.1.0", L"", L"3.0.1.0", nullptr},
        {"the same version written shorter", L"3.0.1", L"", L"3.0.1.0", nullptr},
        {"started for an older version", L"3.0.1.0", L"", L"3.0.0.9", L"3.0.1.0"},
        {"started for a newer version", L"3.0.1.0", L"", L"3.0.2.0", nullptr},
        {"parts, not joined digits", L"3.0.10.0", L"", L"3.0.9.9", L"3.0.10.0"},
        {"3.1 is newer than 3.0.10 was", L"3.1.0.0", L"", L"3.0.10.0", L"3.1.0.0"},
        {"older than this build", L"2.9.9.9", L"", L"", nullptr},
        {"not in range", L"3.0.1.0", L"2000-2999", L"", nullptr},
        {"in range", L"3.0.1.0", L"1000-2000,3000", L"", L"3.0.1.0"},
        {"empty version", L"", L"", L"", nullptr},
        {"not a number", L"new", L"", L"", nullptr},
        {"dots only", L"...", L"", L"", nullptr},
        {"too big for a part", L"99999999999", L"", L"", nullptr},
        {"a part too big, once stored and blocking for good", L"3.0.1.0", L"", L"99999999999", L"3.0.1.0"},
        {"a last version that is not a number", L"3.0.1.0", L"", L"x", L"3.0.1.0"},
    };
    const DottedVersion running{{3, 0, 0, 0}};
    for (const Row& row : rows) {
        const std::optional<DottedVersion> v =
            OfferedUpgrade(row.current, row.range, row.last, running, 3000);
        ASSERT_EQ(v.has_value(), row.offered != nullptr) << row.name;
        if (v) {
            EXPECT_EQ(v->ToString(), row.offered) << row.name;
        }
    }
}

TEST(IsAnnouncedUpgrader, OnlyTheAnnouncedVersionAndOnlyWhenNewer) {
    struct Row {
        const char* name;
        const wchar_t* file; // null: no version resource
        const wchar_t* announced;
        bool starts;
    };
    const Row rows[] = {
        {"the announced version", L"3.0.1.0", L"3.0.1.0", true},
        {"an older upgrader", L"3.0.0.9", L"3.0.1.0", false},
        {"a newer one than announced", L"3.0.2.0", L"3.0.1.0", false},
        {"no version resource", nullptr, L"3.0.1.0", false},
        {"announced but not newer than this launcher", L"3.0.0.0", L"3.0.0.0", false},
        {"announced but older than this launcher", L"2.0.0.0", L"2.0.0.0", false},
    };
    const DottedVersion running{{3, 0, 0, 0}};
    for (const Row& row : rows) {
        const std::optional<DottedVersion> file =
            row.file ? ParseDottedVersion(row.file) : std::optional<DottedVersion>();
        EXPECT_EQ(IsAnnouncedUpgrader(file, *ParseDottedVersion(row.announced), running), row.starts)
            << row.name;
    }
}

TEST(RunningVersion, IsTheVersionTheBuildWasConfiguredWith) {
    // The generated parts and the dotted text come from the one cache variable.
    EXPECT_EQ(ParseDottedVersion(GANTRY_VERSION_WTEXT)->ToString(), kRunningVersion.ToString());
}

} // namespace
