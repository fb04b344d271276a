// The Win32 utilities against the real system: INI files, folders, the WinINet
// cache, GUIDs from several threads, code pages and the environment tests.
#include "app/base/Utils.h"
#include "child_process.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wininet.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {
using testing_support::RemoveTree;

std::wstring TempDir(const wchar_t* name) {
    std::wstring dir =
        GetTempFolder() + L"gantry-utils-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
    return dir;
}

TEST(Folders, AppDataFolderIsUnderRoamingAndExists) {
    wchar_t roaming[MAX_PATH] = L"";
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, roaming, CSIDL_APPDATA, FALSE));
    const std::wstring folder = GetAppDataFolder();
    EXPECT_EQ(folder, EnsureTrailingBackslash(roaming) + L"Orvo游戏\\tavro\\");
    EXPECT_TRUE(PathIsDirectoryW(folder.c_str()));
    EXPECT_EQ(GetSettingsIniPath(), folder + L"Gantry.ini");
    const std::wstring temp = GetTempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), L'\\');
    EXPECT_TRUE(PathIsDirectoryW(temp.c_str()));
}

TEST(Folders, MakeSureDirExistsCreatesTheMissingLevels) {
    const std::wstring base = TempDir(L"dirs");
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    const std::wstring deep = base + L"\\two\\three";
    EXPECT_TRUE(MakeSureDirExists(deep.c_str()));
    EXPECT_TRUE(PathIsDirectoryW((base + L"\\two").c_str()));
    EXPECT_TRUE(PathIsDirectoryW(deep.c_str()));
    EXPECT_TRUE(MakeSureDirExists(deep.c_str())); // existing: still true
    EXPECT_TRUE(MakeSureDirExists((deep + L"\\").c_str()));
    EXPECT_FALSE(MakeSureDirExists(nullptr));
    RemoveTree(base);
}

TEST(Folders, MakeSureDirExistsFailsWhereAFileStands) {
    const std::wstring base = TempDir(L"blocked");
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    const std::wstring file = base + L"\\taken";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_FALSE(MakeSureDirExists((file + L"\\sub").c_str()));
    RemoveTree(base);
}

TEST(Ini, RoundTripDefaultsAndLimits) {
    const std::wstring dir = TempDir(L"ini");
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    const std::wstring file = dir + L"\\t.ini";
    EXPECT_EQ(ReadIniString(L"Common", L"Refer", L"orvoportal", file), L"orvoportal"); // no file yet
    EXPECT_EQ(ReadIniInt(L"Common", L"TopMost", 0, file), 0);
    WriteIniString(L"Common", L"Refer", L"渠道-7", file);
    WriteIniString(L"Common", L"RunCount", L"12", file);
    WriteIniString(L"Common", L"Bad", L"abc", file);
    EXPECT_EQ(ReadIniString(L"Common", L"Refer", L"", file), L"渠道-7");
    EXPECT_EQ(ReadIniInt(L"Common", L"RunCount", 0, file), 12);
    EXPECT_EQ(ReadIniInt(L"Common", L"Bad", 5, file), 0); // non-numeric reads 0
    EXPECT_EQ(ReadIniInt(L"Common", L"Missing", 5, file), 5);
    const std::wstring longValue(400, L'x');
    WriteIniString(L"Common", L"Long", longValue, file);
    EXPECT_EQ(ReadIniString(L"Common", L"Long", L"", file), std::wstring(259, L'x'));
    RemoveTree(dir);
}

TEST(Ini, EmptyFileArgumentMeansTheSettingsFile) {
    WriteIniString(L"UtilsTest", L"Key", L"value");
    EXPECT_EQ(ReadIniString(L"UtilsTest", L"Key", L"", GetSettingsIniPath()), L"value");
    EXPECT_EQ(ReadIniString(L"UtilsTest", L"Key", L""), L"value");
    WritePrivateProfileStringW(L"UtilsTest", nullptr, nullptr, GetSettingsIniPath().c_str());
}

TEST(Time, FormatsLocalTime) {
    SYSTEMTIME st = {};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 8;
    st.wHour = 9;
    st.wMinute = 5;
    st.wSecond = 7;
    // Local wall-clock time -> UTC -> seconds since 1970, so the formatter's
    // local conversion must give the same fields back.
    SYSTEMTIME utc = {};
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &st, &utc));
    FILETIME ft = {};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    const int64_t t = static_cast<int64_t>(
                          (static_cast<uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) / 10000000ULL) -
                      11644473600LL;
    EXPECT_EQ(FormatTime(L"%Y-%m-%d %H:%M:%S", t), L"2026-12-08 09:05:07");
    EXPECT_EQ(FormatTime(L"%Y%m%d%H%M%S", t), L"20261208090507");
    EXPECT_EQ(FormatTime(L"%Y-%m-%d", t), L"2026-12-08");
    EXPECT_EQ(FormatTime(nullptr, t), L"");
    EXPECT_EQ(FormatTime(std::wstring(200, L'Y').c_str(), t), L""); // does not fit 128
    EXPECT_EQ(FormatTime(L"%Y", -100000000000000LL), L"");          // cannot convert
    EXPECT_EQ(FormatTime(L"%Y", CurrentTime()).size(), 4u);
}

TEST(Guid, UniqueUpperCaseTextFromManyThreads) {
    std::vector<std::vector<std::wstring>> results(4);
    std::vector<std::thread> threads;
    for (auto& r : results)
        threads.emplace_back([&r] {
            for (int i = 0; i < 200; ++i)
                r.push_back(NewGuidString());
        });
    for (auto& t : threads)
        t.join();
    std::set<std::wstring> unique;
    for (const auto& r : results)
        for (const auto& g : r) {
            ASSERT_EQ(g.size(), 36u);
            for (size_t i = 0; i < g.size(); ++i) {
                if (i == 8 || i == 13 || i == 18 || i == 23)
                    EXPECT_EQ(g[i], L'-');
                else
                    EXPECT_TRUE(iswxdigit(g[i]) && !iswlower(g[i])) << g;
            }
            unique.insert(g);
        }
    EXPECT_EQ(unique.size(), 800u);
}

TEST(CodePage, NarrowAndWideRoundTripThroughAnsi) {
    std::string narrow = "untouched";
    EXPECT_FALSE(ToNarrow(nullptr, narrow));
    EXPECT_EQ(narrow, "untouched");
    std::wstring wide = L"untouched";
    EXPECT_FALSE(ToWide(nullptr, wide));
    EXPECT_EQ(wide, L"untouched");

    ASSERT_TRUE(ToNarrow(L"abc 123", narrow));
    EXPECT_EQ(narrow, "abc 123");
    ASSERT_TRUE(ToWide("abc 123", wide));
    EXPECT_EQ(wide, L"abc 123");
    EXPECT_EQ(ToNarrow(std::wstring()), "");

    // Whatever the ANSI code page is, a character it has survives the round trip
    // and one it lacks becomes the default character, never a "best fit" letter.
    const std::wstring text = L"x\u00e9\u4e2d";
    const std::wstring back = ToWide(ToNarrow(text));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], L'x');
    for (wchar_t c : back.substr(1)) {
        BOOL usedDefault = FALSE;
        char probe[8] = {};
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, probe, sizeof probe, nullptr, &usedDefault);
        EXPECT_TRUE(c == L'?' || !usedDefault);
    }
}

// A cache entry whose URL is long enough that its record needs more than the
// first 4096-byte buffer, next to a few ordinary ones.
bool AddCacheEntry(const std::wstring& url) {
    wchar_t file[MAX_PATH] = L"";
    if (!CreateUrlCacheEntryW(url.c_str(), 0, L"txt", file, 0))
        return false;
    HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(h, "body", 4, &written, nullptr);
    CloseHandle(h);
    FILETIME zero = {};
    return CommitUrlCacheEntryW(url.c_str(), file, zero, zero, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                                nullptr) != FALSE;
}

int CountCacheEntries() {
    int count = 0;
    std::vector<BYTE> buffer(64 * 1024);
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    DWORD size = static_cast<DWORD>(buffer.size());
    HANDLE find = FindFirstUrlCacheEntryW(nullptr, entry, &size);
    if (!find)
        return 0;
    do {
        ++count;
        size = static_cast<DWORD>(buffer.size());
    } while (FindNextUrlCacheEntryW(find, entry, &size));
    FindCloseUrlCache(find);
    return count;
}

TEST(UrlCache, ClearDeletesEveryEntryIncludingOversizedOnes) {
    ASSERT_TRUE(AddCacheEntry(L"http://127.0.0.1:9/a.html"));
    ASSERT_TRUE(AddCacheEntry(L"http://127.0.0.1:9/b.html?x=1"));
    ASSERT_TRUE(AddCacheEntry(L"http://127.0.0.1:9/long?" + std::wstring(3000, L'q')));
    ASSERT_TRUE(AddCacheEntry(L"http://127.0.0.1:9/c.png"));
    ASSERT_GE(CountCacheEntries(), 4);
    ClearUrlCache();
    EXPECT_EQ(CountCacheEntries(), 0);
    ClearUrlCache(); // an empty cache is fine too
    EXPECT_EQ(CountCacheEntries(), 0);
}

TEST(Environment, OsBitsMatchTheWinePrefix) {
    wchar_t prefix[1024] = L"";
    GetEnvironmentVariableW(L"GANTRY_WINE_PREFIX", prefix, 1024);
    const std::wstring p = prefix;
    if (p.empty())
        GTEST_SKIP() << "not run by the test harness; the prefix kind is unknown";
    const bool win32Prefix = p.size() >= 6 && p.compare(p.size() - 6, 6, L"-win32") == 0;
    EXPECT_EQ(GetOsBits(), win32Prefix ? 32 : 64);
}

TEST(Environment, ElevationAnswersWithoutFailing) {
    // Wine runs programs with an administrator token; what matters is that the
    // query works and agrees with the token itself.
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    TOKEN_ELEVATION e = {};
    DWORD size = 0;
    const bool ok = GetTokenInformation(token, TokenElevation, &e, sizeof e, &size) != FALSE;
    CloseHandle(token);
    EXPECT_EQ(IsProcessElevated(), ok && e.TokenIsElevated != 0);
}

} // namespace
