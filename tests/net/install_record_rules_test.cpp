#include "net/InstallRecordRules.h"

#include <gtest/gtest.h>

TEST(InstallRecordRules, StoredIdentityIsKeptAndOnlyAMissingOneIsMadeAndWritten) {
    struct Row {
        const char* name;
        std::wstring stored, fresh;
        std::wstring value;
        bool write;
        bool freshAsked;
    } rows[] = {
        {"stored value of any shape is used as it stands", L" {not-a-guid} ", L"NEW", L" {not-a-guid} ",
         false, false},
        {"missing value is made and written", L"", L"NEW", L"NEW", true, true},
        {"a value that could not be made is not written", L"", L"", L"", false, true},
    };
    for (const Row& row : rows) {
        bool asked = false;
        const StoredValueChoice choice = ChooseStoredValue(row.stored, [&] {
            asked = true;
            return row.fresh;
        });
        EXPECT_EQ(choice.value, row.value) << row.name;
        EXPECT_EQ(choice.write, row.write) << row.name;
        EXPECT_EQ(asked, row.freshAsked) << row.name;
    }
    EXPECT_EQ(RecordGuid(L"0A1B2C3D-0000-4000-8000-00AA00BB00CC"), L"0A1B2C3D00004000800000AA00BB00CC");
}
