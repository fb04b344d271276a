// The slot store of one identification pass: 32 slots, 63 characters each.
#include "net/DiskIdentifier.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DiskIdentifier, KeepsThirtyTwoSlotsInOrder) {
    CDiskIdentifier disks;
    for (int i = 0; i < 32; ++i) {
        EXPECT_FALSE(disks.IsFull());
        EXPECT_TRUE(disks.AddSerial(L"S" + std::to_wstring(i)));
    }
    EXPECT_TRUE(disks.IsFull());
    EXPECT_FALSE(disks.AddSerial(L"one too many"));
    EXPECT_EQ(disks.Count(), 32u);
    EXPECT_EQ(disks.Slot(0), L"S0");
    EXPECT_EQ(disks.Slot(31), L"S31");
    EXPECT_EQ(disks.Slot(32), L"");
}

TEST(DiskIdentifier, CutsLongTextsAtSixtyThreeCharacters) {
    CDiskIdentifier disks;
    const std::wstring longText = std::wstring(63, L'a') + L"bcdef";
    ASSERT_TRUE(disks.AddSerial(longText));
    EXPECT_EQ(disks.Slot(0), std::wstring(63, L'a'));
    // An embedded zero ends the slot text.
    ASSERT_TRUE(disks.AddSerial(std::wstring(L"AB\0CD", 5)));
    EXPECT_EQ(disks.Slot(1), L"AB");
}

TEST(DiskIdentifier, CopyFirstOnlyWhenSomethingWasFound) {
    CDiskIdentifier disks;
    wchar_t out[CDiskIdentifier::kSlotChars];
    out[0] = L'#';
    out[1] = L'\0';
    EXPECT_FALSE(disks.CopyFirst(out));
    EXPECT_EQ(std::wstring(out), L"#"); // untouched

    // An empty serial is still a slot: the method answered.
    disks.AddSerial(L"");
    disks.AddSerial(L"SECOND");
    EXPECT_TRUE(disks.CopyFirst(out));
    EXPECT_EQ(std::wstring(out), L"");

    CDiskIdentifier full;
    full.AddSerial(std::wstring(80, L'z'));
    ASSERT_TRUE(full.CopyFirst(out));
    EXPECT_EQ(std::wstring(out), std::wstring(63, L'z'));
}

} // namespace
