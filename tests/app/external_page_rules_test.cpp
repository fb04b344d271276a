// Which URLs may be opened, registry location and value rules of the platform
// browser, and the URL as a single browser argument.
#include "app/base/ExternalPageRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IsWebAddress, OnlyHttpAndHttpsLeaveTheLauncher) {
    struct Row {
        const wchar_t* url;
        bool web;
    };
    const Row rows[] = {
        {L"http://www.orvo.example/pay.html?gid=1036", true},
        {L"https://www.orvo.example/", true},
        {L"HTTPS://WWW.ORVO.EXAMPLE/", true}, // the scheme in any case
        {L"http://", false},                  // nothing after the scheme
        {L"file:///C:/Windows/System32/calc.exe", false},
        {L"\\\\server\\share\\setup.exe", false}, // UNC path
        {L"C:\\Windows\\System32\\calc.exe", false},
        {L"javascript:alert(1)", false},
        {L"orvo-game://launch?x=1", false}, // a custom protocol
        {L"http:\\\\server\\share", false}, // no "//": the shell may take it as a path
        {L" http://host/", false},          // leading blank: not a URL the page meant
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsWebAddress(row.url), row.web) << testing::PrintToString(std::wstring(row.url));
}

TEST(PlatformBrowserLocation, KeyAndViewByWindowsBits) {
    const RegistryLocation w32 = PlatformBrowserLocation(32);
    EXPECT_EQ(std::wstring(w32.keyPath), L"SOFTWARE\\OrvoExplorer");
    EXPECT_EQ(w32.access, 0x20219u);
    const RegistryLocation w64 = PlatformBrowserLocation(64);
    EXPECT_EQ(std::wstring(w64.keyPath), L"SOFTWARE\\Wow6432Node\\OrvoExplorer");
    EXPECT_EQ(w64.access, 0x20119u);
}

TEST(RegistryFolderText, OnlyTerminatedStrings) {
    const wchar_t data[] = L"C:\\Orvo\0garbage";
    // REG_SZ with its terminator (8 units incl. the zero).
    EXPECT_EQ(RegistryFolderText(data, 8 * 2, 1), L"C:\\Orvo");
    EXPECT_EQ(RegistryFolderText(data, sizeof data, 2), L"C:\\Orvo"); // REG_EXPAND_SZ, as it is
    // Not terminated within the returned bytes: nothing, never a read beyond them.
    EXPECT_EQ(RegistryFolderText(data, 7 * 2, 1), L"");
    EXPECT_EQ(RegistryFolderText(data, 0, 1), L"");
    EXPECT_EQ(RegistryFolderText(data, 8 * 2 - 1, 1), L""); // odd size
    EXPECT_EQ(RegistryFolderText(data, 8 * 2 + 1, 1), L""); // odd size, terminator inside
    EXPECT_EQ(RegistryFolderText(data, 8 * 2, 4), L"");     // REG_DWORD
    EXPECT_EQ(RegistryFolderText(data, 8 * 2, 7), L"");     // REG_MULTI_SZ
    EXPECT_EQ(RegistryFolderText(L"", 2, 1), L"");          // empty folder: not installed
    EXPECT_EQ(RegistryFolderText(nullptr, 8, 1), L"");
}

TEST(UrlAsSingleArgument, BlanksAndQuotesAreEncoded) {
    const struct {
        const wchar_t* url;
        const wchar_t* arg;
    } cases[] = {
        {L"http://www.orvo.example/pay.html?gid=1036&sid=3&uid=bob",
         L"http://www.orvo.example/pay.html?gid=1036&sid=3&uid=bob"},
        {L"http://h/a b", L"http://h/a%20b"},
        {L"http://h/\" --new-window \"x", L"http://h/%22%20--new-window%20%22x"},
        {L"http://h/\t\r\n", L"http://h/%09%0D%0A"},
        {L"http://h/%20already", L"http://h/%20already"},
        {L"http://h/中文", L"http://h/中文"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlAsSingleArgument(c.url), c.arg);
}

} // namespace

namespace {

// Internet Explorer is started only by a full path from its App Paths value.
TEST(InternetExplorerPath, QuotesGoAndOnlyFullPathsCount) {
    EXPECT_EQ(UnquotedPath(L"\"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\""),
              L"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE");
    EXPECT_EQ(UnquotedPath(L"  C:\\ie.exe "), L"C:\\ie.exe");
    EXPECT_EQ(UnquotedPath(L"\""), L"\"");
    EXPECT_EQ(UnquotedPath(L"   "), L"");
    EXPECT_TRUE(PathIsAbsolute(L"c:\\ie.exe"));
    EXPECT_TRUE(PathIsAbsolute(L"\\\\server\\share\\ie.exe"));
    EXPECT_FALSE(PathIsAbsolute(L"iexplore"));
    EXPECT_FALSE(PathIsAbsolute(L"C:ie.exe"));    // relative to the drive's current folder
    EXPECT_FALSE(PathIsAbsolute(L"\\ie.exe"));    // relative to the current drive
    EXPECT_FALSE(PathIsAbsolute(L".\\iexplore")); // the current folder
}

} // namespace
