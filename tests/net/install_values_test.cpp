// Which GUIDs and install times read back from the settings file are kept.
#include "net/InstallValues.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InstallValues, Guid) {
    const struct {
        std::wstring guid;
        bool ok;
    } cases[] = {
        {L"0F8FAD5BD9CB469FA16570867728950E", true},
        {L"0f8fad5bd9cb469fa16570867728950e", true}, // written upper case, read either way
        {L"", false},
        {L"0F8FAD5B-D9CB-469F-A165-70867728950E", false}, // with dashes
        {L"0F8FAD5BD9CB469FA16570867728950", false},      // 31 digits
        {L"0F8FAD5BD9CB469FA16570867728950E0", false},    // 33 digits
        {L"0F8FAD5BD9CB469FA16570867728950G", false},
        {L"0F8FAD5BD9CB469F&e6=1&at=3&x=12", false}, // would add query keys
        {std::wstring(259, L'A'), false},            // over-long, as the INI read cuts it
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWellFormedGuid(c.guid), c.ok) << std::string(c.guid.begin(), c.guid.end());
}

TEST(InstallValues, InstallTime) {
    const struct {
        std::wstring time;
        bool ok;
    } cases[] = {
        {L"2024-03-05 10:20:30", true},   {L"1999-12-31 23:59:59", true},   {L"", false},
        {L"2024-03-05", false},           {L"2024-03-05 10:20:30 ", false}, {L"2024/03/05 10:20:30", false},
        {L"2024-03-05T10:20:30", false},  {L"2024-03-05 10:20:3x", false},  {L"garbage&at=9#frag", false},
        {std::wstring(259, L'9'), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWellFormedInstallTime(c.time), c.ok) << std::string(c.time.begin(), c.time.end());
}

} // namespace
