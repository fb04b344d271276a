// The pinned signer names an upgrader's certificate must match.
#include "app/SignerPin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IsPinnedSigner, OnlyAnExactNameFromTheListPasses) {
    struct Row {
        const char* name;
        const wchar_t* signer;
        const wchar_t* pinned;
        bool passes;
    };
    const Row rows[] = {
        {"the one pinned name", L"Orvo Network Ltd.", L"Orvo Network Ltd.", true},
        {"either of two (a certificate change)", L"Orvo Games", L"Orvo Network Ltd.;Orvo Games", true},
        {"blanks around items", L"Orvo Games", L" Orvo Network Ltd. ;\tOrvo Games ", true},
        {"case differs", L"orvo network ltd.", L"Orvo Network Ltd.", false},
        {"the pinned name inside a longer one", L"Not Orvo Network Ltd.", L"Orvo Network Ltd.", false},
        {"two items run together", L"Orvo Network Ltd.;Orvo Games", L"Orvo Network Ltd.;Orvo Games", false},
        {"nothing pinned", L"Orvo Network Ltd.", L"", false},
        {"an unnamed signer against an empty item", L"", L"Orvo;;", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsPinnedSigner(row.signer, row.pinned), row.passes) << row.name;
}

} // namespace
