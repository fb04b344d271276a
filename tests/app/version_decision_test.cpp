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

TEST(IsUpgradeOffered, NewerVersionNotYetStartedForAndInRange) {
    struct Row {
        const char* name;
        const wchar_t* current;
        const wchar_t* range;
        const wchar_t* last;
        bool offered;
    };
    const Row rows[] = {
        {"this very version", L"3.0.0.0", L"", L"", false},
        {"one step newer", L"3.0.1.0", L"", L"", true},
        {"already started for this version", L"3.0.1.0", L"", L"3.0.1.0", false},
        {"started for an older version", L"3.0.1.0", L"", L"3.0.0.9", true},
        {"started for a newer version", L"3.0.1.0", L"", L"3.0.2.0", false},
        {"a two-digit part counts as 30100", L"3.0.10.0", L"", L"3.0.9.9", true},
        // Digits are joined, not compared part by part: 3.0.99.0 (30990) outranks 3.0.10.0 (30100).
        {"joined digits, not parts", L"3.0.10.0", L"", L"3.0.99.0", false},
        {"older than this build", L"2.9.9.9", L"", L"", false},
        {"not in range", L"3.0.1.0", L"2000-2999", L"", false},
        {"in range", L"3.0.1.0", L"1000-2000,3000", L"", true},
        {"empty version", L"", L"", L"", false},
        {"not a number", L"new", L"", L"", false},
        {"dots only", L"...", L"", L"", false},
        {"no dots at all", L"3010", L"", L"", true},
        {"a last version that is not a number", L"3.0.1.0", L"", L"x", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsUpgradeOffered(row.current, row.range, row.last), row.offered) << row.name;
}

} // namespace
