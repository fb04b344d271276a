// The simulator client against a real simulator (registered with SIM), through
// WinINet under Wine: control requests, the log round trip and what the faults look
// like to a WinINet client.
#include "tests/support/SimClient.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class SimClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim = SimClient::FromEnvironment();
        ASSERT_TRUE(sim.IsValid()) << simlog::ToUtf8(sim.LastError());
        ASSERT_TRUE(sim.Reset()) << simlog::ToUtf8(sim.LastError());
    }

    SimResponse Get(const std::wstring& host, const std::wstring& path, const std::wstring& headers = L"") {
        SimResponse r;
        EXPECT_TRUE(sim.Request(host, L"GET", path, std::string(), headers, r))
            << simlog::ToUtf8(sim.LastError());
        return r;
    }

    static long ContentLength(const SimResponse& r) {
        const std::wstring key = L"Content-Length:";
        const size_t at = r.rawHeaders.find(key);
        return at == std::wstring::npos ? -1
                                        : std::wcstol(r.rawHeaders.c_str() + at + key.size(), nullptr, 10);
    }

    SimClient sim;
};

TEST_F(SimClientTest, AddressesComeFromTheEnvironment) {
    const wchar_t* hosts[] = {L"web", L"login", L"game", L"update", L"beacon", L"union"};
    std::vector<int> ports;
    for (const wchar_t* h : hosts) {
        const std::wstring hp = sim.HostPort(h);
        EXPECT_EQ(hp.rfind(L"127.0.0.1:", 0), 0u) << simlog::ToUtf8(hp);
        EXPECT_EQ(hp, L"127.0.0.1:" + std::to_wstring(sim.Port(h)));
        EXPECT_EQ(sim.Url(h, L"/x?y=1"), L"http://" + hp + L"/x?y=1");
        for (int p : ports)
            EXPECT_NE(p, sim.Port(h));
        ports.push_back(sim.Port(h));
    }
    EXPECT_EQ(sim.HostPort(L"nowhere"), L"");
    EXPECT_EQ(sim.Url(L"Web", L"/"), L"");
}

TEST(SimClientAddresses, MalformedAddressesAreRefused) {
    const std::wstring good = L"127.0.0.1:1000";
    const std::wstring bad[] = {L"127.0.0.1",     L"127.0.0.1:",      L":80",
                                L"127.0.0.1:80x", L"127.0.0.1:70000", L"127.0.0.1:0"};
    for (const std::wstring& b : bad) {
        SimClient c = SimClient::FromAddresses({good, good, good, b, good, good});
        EXPECT_FALSE(c.IsValid()) << simlog::ToUtf8(b);
        EXPECT_FALSE(c.Reset());
        EXPECT_EQ(c.HostPort(L"web"), L"");
    }
    EXPECT_FALSE(SimClient::FromAddresses({good, good}).IsValid());
    EXPECT_TRUE(SimClient::FromAddresses({good, good, good, good, good, good}).IsValid());
}

TEST_F(SimClientTest, LogRecordsPathHeadersAndBodyExactly) {
    Get(L"beacon", L"/ps.gif?id=2&gid=1036&e1=wd&e9=2026-01-02%2003:04:05",
        L"Referer: http://127.0.0.1:9/pay.html?gid=1036\r\nCookie: mac=0123; k=v\r\nX-Odd: a\tb%41\r\n");
    std::string body("head\0\t\r\n%tail\xff", 15);
    SimResponse r;
    ASSERT_TRUE(sim.Request(L"web", L"POST", L"/tavro/wd/index.html", body,
                            L"Content-Type: application/x-www-form-urlencoded\r\n", r));

    std::vector<SimRequest> log;
    ASSERT_TRUE(sim.ReadLog(log)) << simlog::ToUtf8(sim.LastError());
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].seq, 0);
    EXPECT_EQ(log[0].host, L"beacon");
    EXPECT_EQ(log[0].port, sim.Port(L"beacon"));
    EXPECT_EQ(log[0].method, L"GET");
    EXPECT_EQ(log[0].path, L"/ps.gif?id=2&gid=1036&e1=wd&e9=2026-01-02%2003:04:05");
    EXPECT_EQ(log[0].Header(L"referer"), L"http://127.0.0.1:9/pay.html?gid=1036");
    EXPECT_EQ(log[0].Header(L"COOKIE"), L"mac=0123; k=v");
    EXPECT_EQ(log[0].Header(L"X-Odd"), L"a\tb%41");
    EXPECT_EQ(log[0].Header(L"Host"), sim.HostPort(L"beacon"));

    EXPECT_EQ(log[1].host, L"web");
    EXPECT_EQ(log[1].method, L"POST");
    EXPECT_EQ(log[1].body, body);
    EXPECT_EQ(log[1].Header(L"Content-Type"), L"application/x-www-form-urlencoded");
    EXPECT_EQ(log[1].Header(L"Content-Length"), std::to_wstring(body.size()));
    EXPECT_GT(log[1].time, 1.6e9);

    ASSERT_TRUE(sim.Reset());
    EXPECT_TRUE(sim.Log().empty());
}

TEST_F(SimClientTest, ContentOverridesServeTheExactBytes) {
    const std::string ini = "[version]\r\ncurrentversion=3.0.1.0\r\nupgraderange=2000-4000\r\n";
    ASSERT_TRUE(sim.SetContent(L"update", L"/Orvo/tavro/official/app.ini", ini));
    SimResponse r = Get(L"update", L"/Orvo/tavro/official/app.ini");
    EXPECT_EQ(r.status, 200u);
    EXPECT_EQ(r.body, ini);
    EXPECT_EQ(ContentLength(r), static_cast<long>(ini.size()));

    std::string exe(70000, '\0');
    for (size_t i = 0; i < exe.size(); ++i)
        exe[i] = static_cast<char>(i * 31);
    ASSERT_TRUE(
        sim.SetContent(L"update", L"/Orvo/tavro/official/Orvotavro.exe", exe, L"application/x-msdownload"));
    r = Get(L"update", L"/Orvo/tavro/official/Orvotavro.exe");
    EXPECT_EQ(r.body, exe);
    EXPECT_NE(r.rawHeaders.find(L"Content-Type: application/x-msdownload"), std::wstring::npos);

    // A path with "?" and "&" survives the control query and matches by prefix.
    ASSERT_TRUE(sim.SetContent(L"union", L"/web/ajax70?uId2=", "seventy"));
    EXPECT_EQ(Get(L"union", L"/web/ajax70?uId2=XBRQMWTZKD&r=a").body, "seventy");
    EXPECT_EQ(Get(L"union", L"/web/ajax71?uId2=XBRQMWTZKD&r=a").body, "{\"result\":0}");

    ASSERT_TRUE(sim.RemoveContent(L"update", L"/Orvo/tavro/official/app.ini"));
    EXPECT_NE(Get(L"update", L"/Orvo/tavro/official/app.ini").body, ini);
    EXPECT_FALSE(sim.SetContent(L"nowhere", L"/x", "x"));
    EXPECT_NE(sim.LastError().find(L"400"), std::wstring::npos);
}

TEST_F(SimClientTest, StatusFaultWithACountThenNormalAgain) {
    ASSERT_TRUE(sim.SetFault(L"beacon", L"/ps.gif", L"status", L"code=503&count=1"));
    EXPECT_EQ(Get(L"beacon", L"/ps.gif?id=2&gid=1036").status, 503u);
    SimResponse r = Get(L"beacon", L"/ps.gif?id=2&gid=1036");
    EXPECT_EQ(r.status, 200u);
    EXPECT_EQ(r.body.substr(0, 6), "GIF89a");

    ASSERT_TRUE(sim.SetFault(L"web", L"/kefu.html", L"status", L"code=404"));
    EXPECT_EQ(Get(L"web", L"/kefu.html?gid=1036").status, 404u);
    ASSERT_TRUE(sim.ClearFault(L"web", L"/kefu.html"));
    EXPECT_EQ(Get(L"web", L"/kefu.html?gid=1036").status, 200u);
    EXPECT_FALSE(sim.SetFault(L"web", L"/x", L"explode"));
}

// What WinINet makes of the transfer faults: the facts the downloader must handle.
TEST_F(SimClientTest, ShortBodyLooksCompleteToWinInetButIsShorterThanAnnounced) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/f.bin", std::string(5000, 'x')));
    ASSERT_TRUE(sim.SetFault(L"update", L"/f.bin", L"short", L"bytes=1200"));
    SimResponse r;
    ASSERT_TRUE(sim.Request(L"update", L"GET", L"/f.bin", std::string(), L"", r));
    EXPECT_EQ(ContentLength(r), 5000);
    EXPECT_EQ(r.body.size(), 1200u);
}

TEST_F(SimClientTest, ChunkedBodyHasNoContentLength) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/f.bin", std::string(3000, 'y')));
    ASSERT_TRUE(sim.SetFault(L"update", L"/f.bin", L"chunked", L"bytes=700"));
    SimResponse r = Get(L"update", L"/f.bin");
    EXPECT_EQ(ContentLength(r), -1);
    EXPECT_EQ(r.body, std::string(3000, 'y'));
}

TEST_F(SimClientTest, ResetMidBodyFailsTheRead) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/f.bin", std::string(200000, 'z')));
    ASSERT_TRUE(sim.SetFault(L"update", L"/f.bin", L"reset", L"bytes=1000"));
    SimResponse r;
    EXPECT_FALSE(sim.Request(L"update", L"GET", L"/f.bin", std::string(), L"", r));
    EXPECT_LT(r.body.size(), 200000u);
}

TEST_F(SimClientTest, TrickleTakesItsTime) {
    ASSERT_TRUE(sim.SetContent(L"update", L"/f.bin", std::string(100, 't')));
    ASSERT_TRUE(sim.SetFault(L"update", L"/f.bin", L"trickle", L"bytes=25&ms=150"));
    const ULONGLONG t0 = GetTickCount64();
    SimResponse r = Get(L"update", L"/f.bin");
    const ULONGLONG elapsed = GetTickCount64() - t0;
    EXPECT_EQ(r.body, std::string(100, 't'));
    EXPECT_GE(elapsed, 300u); // three pauses of 150 ms, loosely
}

TEST_F(SimClientTest, HangIsLoggedAndEndsWithoutAnAnswer) {
    ASSERT_TRUE(sim.SetFault(L"update", L"/Orvo/tavro/official/app.ini", L"hang", L"ms=600"));
    SimResponse r;
    const ULONGLONG t0 = GetTickCount64();
    const bool ok = sim.Request(L"update", L"GET", L"/Orvo/tavro/official/app.ini", std::string(), L"", r);
    EXPECT_GE(GetTickCount64() - t0, 500u);
    EXPECT_TRUE(!ok || r.status == 0) << r.status;
    EXPECT_TRUE(r.body.empty());
    auto hits = sim.WaitForRequests(
        [](const SimRequest& q) { return q.host == L"update" && q.path == L"/Orvo/tavro/official/app.ini"; },
        1, 2000);
    EXPECT_GE(hits.size(), 1u);
}

TEST_F(SimClientTest, WaitForRequestsSeesALateRequestAndGivesUpInTime) {
    std::thread late([this] {
        Sleep(300);
        SimClient other = SimClient::FromEnvironment();
        SimResponse r;
        other.Request(L"union", L"GET", L"/web/ajax71?uId2=XBRQMWTZKD&r=x&lO=tollis", std::string(), L"", r);
    });
    auto hits = sim.WaitForRequests([](const SimRequest& q) { return q.host == L"union"; }, 1, 10000);
    late.join();
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].path, L"/web/ajax71?uId2=XBRQMWTZKD&r=x&lO=tollis");

    const ULONGLONG t0 = GetTickCount64();
    hits = sim.WaitForRequests([](const SimRequest& q) { return q.host == L"game"; }, 1, 400);
    const ULONGLONG elapsed = GetTickCount64() - t0;
    EXPECT_TRUE(hits.empty());
    EXPECT_GE(elapsed, 400u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_EQ(sim.WaitForRequests(1, 100).size(), 1u); // no predicate: every request counts
}

} // namespace
