// Finding the platform browser in the registry of this prefix: the key and view
// for the Windows bitness, and values that are missing, too long, not terminated
// or of the wrong type.
#include "tests/net/IdentTestSupport.h"

#include "app/base/PlatformBrowser.h"
#include "app/base/Utils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using identtest::TempHklmKey;

const wchar_t kSuffix[] = L"\\OrvoExplorer.exe";

// Where the browser's setup writes its key on this Windows, as seen with the
// 64-bit view (on 32-bit Windows the view flag is ignored).
std::wstring SetupKey() {
    return GetOsBits() == 64 ? L"SOFTWARE\\Wow6432Node\\OrvoExplorer" : L"SOFTWARE\\OrvoExplorer";
}

class PlatformBrowserPath : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(GetPlatformBrowserPath(kSuffix), L"") << "left over from another run"; }
};

TEST_F(PlatformBrowserPath, MissingKeyGivesNothing) {
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"");
}

TEST_F(PlatformBrowserPath, FolderAndSuffix) {
    TempHklmKey key(SetupKey(), KEY_WOW64_64KEY);
    ASSERT_TRUE(key.Ok());
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L""); // key without "Path"
    ASSERT_TRUE(key.SetString(L"Path", L"C:\\Program Files\\Orvo浏览器"));
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"C:\\Program Files\\Orvo浏览器\\OrvoExplorer.exe");
}

TEST_F(PlatformBrowserPath, OnlyTheKeyOfThisWindowsIsConsulted) {
    // 64-bit Windows: the 32-bit software hive through the 64-bit view, never the
    // native key. 32-bit Windows: the plain key, never a Wow6432Node one.
    const std::wstring other =
        GetOsBits() == 64 ? L"SOFTWARE\\OrvoExplorer" : L"SOFTWARE\\Wow6432Node\\OrvoExplorer";
    TempHklmKey wrong(other, KEY_WOW64_64KEY);
    ASSERT_TRUE(wrong.Ok());
    ASSERT_TRUE(wrong.SetString(L"Path", L"C:\\Wrong"));
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"");
}

TEST_F(PlatformBrowserPath, ThirtyTwoBitSetupOnSixtyFourBitWindowsIsFound) {
    if (GetOsBits() != 64)
        GTEST_SKIP() << "32-bit Windows has one registry view";
    // A 32-bit setup writes SOFTWARE\OrvoExplorer in its own view; that is the key read.
    TempHklmKey key(L"SOFTWARE\\OrvoExplorer", KEY_WOW64_32KEY);
    ASSERT_TRUE(key.Ok());
    ASSERT_TRUE(key.SetString(L"Path", L"D:\\Orvo"));
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"D:\\Orvo\\OrvoExplorer.exe");
}

TEST_F(PlatformBrowserPath, LengthLimitOf129Characters) {
    TempHklmKey key(SetupKey(), KEY_WOW64_64KEY);
    ASSERT_TRUE(key.Ok());
    const std::wstring longest = L"C:\\" + std::wstring(126, L'x'); // 129 characters
    ASSERT_TRUE(key.SetString(L"Path", longest));
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), longest + kSuffix);
    ASSERT_TRUE(key.SetString(L"Path", longest + L"y")); // 130
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"");
    ASSERT_TRUE(key.SetString(L"Path", L"C:\\" + std::wstring(297, L'z'))); // 300
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"");
}

TEST_F(PlatformBrowserPath, UnterminatedWrongTypeAndEmptyValues) {
    TempHklmKey key(SetupKey(), KEY_WOW64_64KEY);
    ASSERT_TRUE(key.Ok());
    // REG_SZ data stored without its terminator, short enough to fit. (The system
    // adds a terminator that the caller left out of the count when one follows the
    // data in memory; here a non-zero character follows, so none is added.)
    const std::wstring folder = L"C:\\Orvo#";
    ASSERT_EQ(RegSetValueExW(key.Get(), L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                             DWORD((folder.size() - 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"");
    // 130 characters without terminator: exactly the buffer, and still not taken.
    const std::wstring full(131, L'q');
    ASSERT_EQ(RegSetValueExW(key.Get(), L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(full.c_str()),
                             DWORD(130 * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"");
    ASSERT_TRUE(key.SetDword(L"Path", 0x5C3A43)); // "C:\" as bytes, but a number
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"");
    ASSERT_TRUE(key.SetString(L"Path", L""));
    EXPECT_EQ(GetPlatformBrowserPath(kSuffix), L"");
}

} // namespace
