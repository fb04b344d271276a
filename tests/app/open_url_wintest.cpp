// Opening pages end to end: the global module probe (built with the simulator's
// hosts) opens a URL with and without the platform browser registered; a copy of
// the helper program stands in for that browser and records its command line.
// The union statistics request is checked in the simulator's log.
#include "tests/net/IdentTestSupport.h"

#include "app/base/Utils.h"
#include "child_process.h"
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

std::wstring BrowserKey() {
    return GetOsBits() == 64 ? L"SOFTWARE\\Wow6432Node\\OrvoExplorer" : L"SOFTWARE\\OrvoExplorer";
}

class OpenUrl : public ::testing::Test {
protected:
    void SetUp() override {
        sim_ = SimClient::FromEnvironment();
        ASSERT_TRUE(sim_.IsValid());
        ASSERT_TRUE(sim_.Reset());
    }

    std::map<std::string, std::wstring> Probe(const std::wstring& args) {
        const ProbeRun run = RunProbe(BuildPath("tests/net/ident_module_probe.exe"), args, 60000);
        EXPECT_TRUE(run.child.started && run.child.exited);
        EXPECT_EQ(run.child.exitCode, 0u);
        return run.values;
    }

    std::vector<SimRequest> UnionRequests(size_t count, DWORD waitMs = 10000) {
        return sim_.WaitForRequests([](const SimRequest& r) { return r.host == L"union"; }, count, waitMs);
    }

    // A page of the platform web host whose URL needs encoding in the report.
    std::wstring PageUrl() const { return sim_.Url(L"web", L"/pay.html?gid=1036&sid=3&uid=bob"); }
    static std::wstring Encoded(const std::wstring& url) {
        const std::string e = UrlEncode(ToNarrow(url));
        return std::wstring(e.begin(), e.end());
    }

    SimClient sim_;
};

// One argument for the probe's command line (the URLs hold no backslashes).
std::wstring QuotedArgument(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"')
            out += L'\\';
        out += c;
    }
    return out + L"\"";
}

// Waits for the stand-in browser's record of its command line.
std::map<std::string, std::wstring> BrowserRecord(const std::wstring& dir) {
    const std::wstring file = dir + L"args.txt";
    for (int i = 0; i < 200 && GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    return ReadKeyValueFile(file);
}

TEST_F(OpenUrl, WithoutThePlatformBrowserReportsAnotherBrowser) {
    const std::wstring url = PageUrl();
    auto v = Probe(L"open " + QuotedArgument(url));
    EXPECT_EQ(v["platformBrowserPath"], L"");
    EXPECT_EQ(v["lastOpenedUrl"], url);
    EXPECT_EQ(v["otherReport"], L"1");
    EXPECT_EQ(v["refererPendingAfter"], L"0");
    EXPECT_EQ(v["iexploreStarted"], L"1"); // Internet Explorer got the page
    const auto hits = UnionRequests(1);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, L"/web/ajax71?uId2=XBRQMWTZKD&r=" + Encoded(url) + L"&lO=tollis");
    EXPECT_FALSE(hits[0].HasHeader(L"Referer"));
    EXPECT_EQ(UnionRequests(2, 1000).size(), 1u);
}

TEST_F(OpenUrl, AnythingButAWebAddressOpensNothing) {
    const std::wstring marker = PageUrl(); // opened last: its report proves the others had their time
    const std::wstring refused[] = {L"file:///C:/windows/notepad.exe", L"\\\\127.0.0.1\\share\\setup.exe",
                                    L"javascript:alert(1)", L"orvo-game://launch?server=1"};
    std::wstring args = L"refuse";
    for (const std::wstring& url : refused)
        args += L" " + QuotedArgument(url);
    auto v = Probe(args + L" " + QuotedArgument(marker));
    EXPECT_EQ(v["startedByRefused"], L"0");
    EXPECT_EQ(v["lastOpenedUrl"], L"");
    EXPECT_EQ(v["markerReport"], L"1");
    const auto hits = UnionRequests(2, 1500);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, L"/web/ajax71?uId2=XBRQMWTZKD&r=" + Encoded(marker) + L"&lO=tollis");
}

TEST_F(OpenUrl, PlatformBrowserGetsTheUrlAsItsOnlyArgument) {
    identtest::ScratchDir dir;
    const std::wstring exe = dir.Path() + L"OrvoExplorer.exe";
    ASSERT_TRUE(CopyFileW(BuildPath("tests/net/ident_helper.exe").c_str(), exe.c_str(), FALSE));
    identtest::TempHklmKey key(BrowserKey(), KEY_WOW64_64KEY);
    ASSERT_TRUE(key.Ok());
    std::wstring folder = dir.Path();
    folder.pop_back(); // the setup stores the folder without its last backslash
    ASSERT_TRUE(key.SetString(L"Path", folder));

    const std::wstring url = PageUrl() + L"&x=a%20b";
    auto v = Probe(L"open " + QuotedArgument(url));
    EXPECT_EQ(v["platformBrowserPath"], exe);
    EXPECT_EQ(v["platformReport"], L"1");
    EXPECT_EQ(v["refererPendingAfter"], L"0"); // taken by the report's GET
    EXPECT_EQ(v["iexploreStarted"], L"0");

    auto args = BrowserRecord(dir.Path());
    EXPECT_EQ(args["argc"], L"2");
    EXPECT_EQ(args["argv1"], url);

    const auto hits = UnionRequests(1);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, L"/web/ajax70?uId2=XBRQMWTZKD&r=" + Encoded(url) + L"&lO=tollis");
    EXPECT_EQ(hits[0].Header(L"Referer"), url);
    // The cookie planted for the opened page (same host, path "/") is the start
    // of the MAC id.
    const std::wstring mac = v["macId"];
    ASSERT_EQ(mac.size(), 32u);
    EXPECT_NE(hits[0].Header(L"Cookie").find(mac.substr(0, 28)), std::wstring::npos)
        << std::string(hits[0].Header(L"Cookie").begin(), hits[0].Header(L"Cookie").end());
    DeleteFileW((dir.Path() + L"args.txt").c_str());
    DeleteFileW(exe.c_str());
}

TEST_F(OpenUrl, RegisteredBrowserWhoseFileIsGoneCountsAsMissing) {
    identtest::ScratchDir dir;
    identtest::TempHklmKey key(BrowserKey(), KEY_WOW64_64KEY);
    ASSERT_TRUE(key.Ok());
    std::wstring folder = dir.Path();
    folder.pop_back();
    ASSERT_TRUE(key.SetString(L"Path", folder)); // no OrvoExplorer.exe in it

    const std::wstring url = PageUrl();
    auto v = Probe(L"open " + QuotedArgument(url));
    EXPECT_EQ(v["platformBrowserPath"], dir.Path() + L"OrvoExplorer.exe");
    EXPECT_EQ(v["otherReport"], L"1");
    EXPECT_EQ(v["iexploreStarted"], L"1");
    const auto hits = UnionRequests(1);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path.compare(0, 12, L"/web/ajax71?"), 0);
    EXPECT_FALSE(hits[0].HasHeader(L"Referer"));
}

TEST_F(OpenUrl, UrlWithBlanksAndQuotesStaysOneArgument) {
    identtest::ScratchDir dir;
    const std::wstring exe = dir.Path() + L"OrvoExplorer.exe";
    ASSERT_TRUE(CopyFileW(BuildPath("tests/net/ident_helper.exe").c_str(), exe.c_str(), FALSE));
    identtest::TempHklmKey key(BrowserKey(), KEY_WOW64_64KEY);
    std::wstring folder = dir.Path();
    folder.pop_back();
    ASSERT_TRUE(key.SetString(L"Path", folder));

    // A link whose URL would otherwise split into several arguments and pass an
    // option of its own to the browser.
    const std::wstring url = PageUrl() + L"&q=a b\" --new-window \"c";
    auto v = Probe(L"open " + QuotedArgument(url));
    EXPECT_EQ(v["lastOpenedUrl"], url); // kept as it came, also for the report
    auto args = BrowserRecord(dir.Path());
    EXPECT_EQ(args["argc"], L"2");
    EXPECT_EQ(args["argv1"], PageUrl() + L"&q=a%20b%22%20--new-window%20%22c");
    const auto hits = UnionRequests(1);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, L"/web/ajax70?uId2=XBRQMWTZKD&r=" + Encoded(url) + L"&lO=tollis");
    DeleteFileW((dir.Path() + L"args.txt").c_str());
    DeleteFileW(exe.c_str());
}

TEST_F(OpenUrl, PayUrlBeforeAndAfterLogin) {
    auto v = Probe(L"pay");
    const std::wstring base = sim_.Url(L"web", L"/pay.html?gid=1036");
    EXPECT_EQ(v["before"], base + L"&sid=&uid=");
    EXPECT_EQ(v["after"], base + L"&sid=27&uid=bob");
}

} // namespace
