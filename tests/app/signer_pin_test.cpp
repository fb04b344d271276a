// The pinned signer names an upgrader's certificate must match.
#include "app/SignerPin.h"

#include <gtest/gtest.h>

#include <string>

namespace {
using namespace std::string_literals;

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
    // A name that holds a NUL is refused outright, even against itself: read as
    // a C string anywhere it would pass as the name before the NUL.
    EXPECT_FALSE(IsPinnedSigner(L"Orvo Games\0.evil.example"s, L"Orvo Games"));
    EXPECT_FALSE(IsPinnedSigner(L"Orvo Games\0x"s, L"Orvo Games\0x"s));
}

const wchar_t kKeyA[] = L"8f434346648f6b96df89dda901c5176b10a6d83961dd3c1ac88b59b2dc327aa4";
const wchar_t kKeyB[] = L"0000000000000000000000000000000000000000000000000000000000000001";

TEST(IsPinnedKey, AnyKeyWhenNonePinnedElseOnlyAPinnedDigest) {
    struct Row {
        const char* name;
        std::wstring key;
        std::wstring pinned;
        bool passes;
    };
    const std::wstring upperA = L"8F434346648F6B96DF89DDA901C5176B10A6D83961DD3C1AC88B59B2DC327AA4";
    const Row rows[] = {
        {"nothing pinned", kKeyA, L"", true},
        {"only empty items pinned", kKeyA, L" ; ;", true},
        {"the pinned key", kKeyA, kKeyA, true},
        {"hex case ignored", kKeyA, upperA, true},
        {"either of two", kKeyA, std::wstring(kKeyB) + L" ; " + kKeyA, true},
        {"another key", kKeyA, kKeyB, false},
        {"no key read off the certificate", L"", kKeyA, false},
        {"a prefix of the pinned key", std::wstring(kKeyA).substr(0, 32), kKeyA, false},
        {"not hex, same length", std::wstring(64, L'z'), std::wstring(64, L'z'), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsPinnedKey(row.key, row.pinned), row.passes) << row.name;
}

TEST(IsAcceptedSigner, NeedsCodeSigningTheNameAndAPinnedKey) {
    struct Row {
        const char* name;
        SignerFacts signer;
        const wchar_t* keys;
        bool passes;
    };
    const Row rows[] = {
        {"all of it", {L"Orvo Games", true, kKeyA}, kKeyA, true},
        {"name and usage, no key pinned", {L"Orvo Games", true, kKeyA}, L"", true},
        {"no code-signing usage", {L"Orvo Games", false, kKeyA}, kKeyA, false},
        {"another name", {L"Orvo", true, kKeyA}, kKeyA, false},
        {"the name, another key", {L"Orvo Games", true, kKeyB}, kKeyA, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsAcceptedSigner(row.signer, L"Orvo Games", row.keys), row.passes) << row.name;
}

} // namespace
