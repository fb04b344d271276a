// Which server's word each marker is: one table over the URL rules of the three
// windows (hosts, schemes, frames, whole query keys), each row what a page or a
// frame might send and what of it must count.
#include "app/base/UrlOrigin.h"
#include "browser/windows/ExternalLoginReturn.h"
#include "browser/windows/LoginMarkers.h"
#include "browser/windows/PageMarkers.h"

#include <gtest/gtest.h>

namespace {

const PlatformHosts kHosts = {L"Web.Test:81", L"login.test", L"game.test:8443"};

// What a URL makes the launcher do.
constexpr unsigned kEnterGame = 1;      // login window: opens the game with this URL
constexpr unsigned kUserName = 2;       // login window: takes the user name
constexpr unsigned kExternalPage = 4;   // login window's new window: opens the QQ/Weibo login window
constexpr unsigned kContinue = 8;       // external login: sends the login browser to the forward address
constexpr unsigned kExternalClose = 16; // external login: its window closes
constexpr unsigned kGameReturns = 32;   // game window: closes, back to the login window

unsigned Effects(const std::wstring& url, bool topLevel) {
    const AnsiCodec identity = {[](const std::wstring& t) { return std::string(t.begin(), t.end()); },
                                [](const std::string& b) { return std::wstring(b.begin(), b.end()); }};
    const LoginMarkers m = ReadLoginMarkers(url, kHosts.web);
    const ExternalLoginStep step = DecideExternalLoginStep(url, topLevel, kHosts, identity);
    return (m.enterGame ? kEnterGame : 0u) | (m.hasUserName ? kUserName : 0u) |
           (IsExternalLoginUrl(url, kHosts.login) ? kExternalPage : 0u) |
           (step.continueLogin ? kContinue : 0u) | (step.close ? kExternalClose : 0u) |
           (IsReturnToLoginUrl(url, topLevel, kHosts) ? kGameReturns : 0u);
}

TEST(PageMarkers, OnlyTheOwningPlatformHostOpensOrFillsAWindow) {
    const bool top = true, frame = false;
    const struct {
        const char* name;
        const wchar_t* url;
        bool topLevel;
        unsigned effects;
    } rows[] = {
        // Hosts
        {"enter game on the web host", L"http://web.test:81/g?wd_entergame=1&wd_server=7", top, kEnterGame},
        {"the host in any case", L"http://WEB.test:81/g?wd_entergame=1", top, kEnterGame},
        {"an advertiser's frame", L"https://ads.example/frame?wd_entergame=1&wd_server=7", frame, 0},
        {"an advertiser's page", L"https://ads.example/?wd_entergame=1&wd_username=x", top, 0},
        {"another port", L"http://web.test:82/g?wd_entergame=1", top, 0},
        {"the default port is not :81", L"http://web.test/g?wd_entergame=1", top, 0},
        {"a longer host", L"http://web.test.evil:81/?wd_username=a", top, 0},
        {"user information before the host", L"http://web.test:81@evil.example/?wd_username=a", top, 0},
        {"user information before the right host", L"http://evil@web.test:81/?wd_username=a", top, kUserName},
        {"the last @ ends user information", L"http://a@evil.example@web.test:81/?wd_username=a", top,
         kUserName},
        {"a backslash ends the host", L"http://evil.example\\@web.test:81/?wd_username=a", top, 0},
        {"a blank inside the host", L"http://web.test :81/?wd_username=a", top, 0},
        {"the host only as text", L"https://evil.example/?x=//web.test:81/?wd_username=a", top, 0},
        // Schemes
        {"https counts as http", L"HTTPS://web.test:81/?wd_username=a", top, kUserName},
        {"a file URL", L"file://web.test:81/?wd_username=a", top, 0},
        {"a script", L"javascript://web.test:81/%0Aalert(1)?wd_entergame=1", top, 0},
        {"no // after the scheme", L"http:web.test:81/?wd_username=a", top, 0},
        // Frames: the owning host's frames count, other hosts' never
        {"a frame of the web host", L"http://web.test:81/f?wd_username=a", frame, kUserName},
        {"QQ page on the login host", L"http://login.test/qq?appid=1", top, kExternalPage},
        {"Weibo page on the login host", L"https://login.test:443/weibo?x", top, kExternalPage},
        {"QQ path elsewhere", L"http://web.test:81/qq?appid=1", top, 0},
        {"QQ text inside another URL", L"http://r.example/?to=//login.test/qq?z", top, 0},
        // The external login's return address and its forward address
        {"return address continues on the web host",
         L"http://game.test:8443/server/wan/"
         L"?from=qq&forward=http%3A%2F%2Fweb.test%3A81%2Fi%3Fwd_username%3Dq",
         top, kContinue | kExternalClose},
        {"return address in a frame of the game host",
         L"http://game.test:8443/server/wan/?forward=http://login.test/", frame, kContinue | kExternalClose},
        {"return address wrapped in another host's URL",
         L"https://evil.example/?x=//game.test:8443/server/wan/?forward=http://web.test:81/", top, 0},
        {"forward to a script closes only", L"http://game.test:8443/server/wan/?forward=javascript:alert(1)",
         top, kExternalClose},
        {"forward to a share closes only",
         L"http://game.test:8443/server/wan/?forward=file%3A%2F%2Fattacker.example%2Fshare%2Fa.html", top,
         kExternalClose},
        {"forward to another server closes only",
         L"http://game.test:8443/server/wan/?forward=http://phish.example/login", top, kExternalClose},
        // Key matching: whole keys only
        {"forward only as the end of a longer key",
         L"http://game.test:8443/server/wan/?notforward=http://phish.example/login&x=1", top, kExternalClose},
        {"a longer key ahead of the real one",
         L"http://game.test:8443/server/wan/?notforward=http://phish.example/&forward=http://web.test:81/",
         top, kContinue | kExternalClose},
        // The marker that only closes: any top-level page, platform frames only
        {"return to login from any page", L"https://other.example/?wd_returnlogin=1", top,
         kExternalClose | kGameReturns},
        {"return to login from an advertiser's frame", L"https://ads.example/?wd_returnlogin=1", frame, 0},
        {"return to login from a frame of the web host", L"http://web.test:81/i?wd_returnlogin=1", frame,
         kExternalClose | kGameReturns},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Effects(row.url, row.topLevel), row.effects) << row.name;
}

TEST(PageMarkers, TheServerIdIsAWholeKey) {
    EXPECT_EQ(ReadLoginMarkers(L"http://web.test:81/g?wd_entergame=1&xwd_server=9&wd_server=3", kHosts.web)
                  .serverId,
              L"3");
    EXPECT_EQ(ReadLoginMarkers(L"http://web.test:81/g?wd_entergame=1&xwd_server=9", kHosts.web).serverId,
              L"");
}

TEST(UrlOrigin, PortsAndBracketedHosts) {
    EXPECT_TRUE(IsWebUrlOnHost(L"https://h.test:443/", L"h.test"));
    EXPECT_TRUE(IsWebUrlOnHost(L"http://h.test:80", L"h.test"));
    EXPECT_FALSE(IsWebUrlOnHost(L"http://h.test:443/", L"h.test"));
    EXPECT_TRUE(IsWebUrlOnHost(L"http://[::1]:18301/x", L"[::1]:18301"));
    EXPECT_FALSE(IsWebUrlOnHost(L"http://h.test:99999/", L"h.test:99999"));
    EXPECT_FALSE(IsWebUrlOnHost(L"http://h.test:/", L"h.test"));
    EXPECT_FALSE(IsWebUrlOnHost(L"http:///h.test/", L"h.test"));
    const UrlOrigin o = ParseUrlOrigin(L"Http://U:P@H.Test:8080?q#f");
    EXPECT_TRUE(o.valid);
    EXPECT_EQ(o.scheme, L"http");
    EXPECT_EQ(o.host, L"h.test");
    EXPECT_EQ(o.port, 8080);
    EXPECT_EQ(o.rest, L"?q#f");
}

} // namespace
