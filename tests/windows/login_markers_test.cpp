// What the login window reads from the URLs its page navigates to.
#include "browser/windows/LoginMarkers.h"

#include <gtest/gtest.h>

namespace {

TEST(LoginMarkers, UserNameIsTheRestOfTheUrl) {
    LoginMarkers m = ReadLoginMarkers(L"http://w/p?wd_username=abc&x=1", L"w");
    EXPECT_TRUE(m.hasUserName);
    EXPECT_EQ(m.userName, L"abc&x=1"); // "&" is no delimiter here
    EXPECT_FALSE(m.enterGame);

    m = ReadLoginMarkers(L"http://w/p?a=1&wd_username=", L"w");
    EXPECT_TRUE(m.hasUserName);
    EXPECT_EQ(m.userName, L"");

    m = ReadLoginMarkers(L"http://w/p?wd_userName=abc", L"w");
    EXPECT_FALSE(m.hasUserName); // case-sensitive

    m = ReadLoginMarkers(L"http://w/p?wd_username=a&wd_username=b", L"w");
    EXPECT_EQ(m.userName, L"a&wd_username=b"); // the first occurrence
}

TEST(LoginMarkers, EnterGameWithAndWithoutServer) {
    LoginMarkers m = ReadLoginMarkers(L"http://g/play?wd_entergame=1&wd_server=12&z=3", L"g");
    EXPECT_TRUE(m.enterGame);
    EXPECT_EQ(m.serverId, L"12");

    m = ReadLoginMarkers(L"http://g/play?wd_entergame=1", L"g");
    EXPECT_TRUE(m.enterGame);
    EXPECT_EQ(m.serverId, L"");

    m = ReadLoginMarkers(L"http://g/play?wd_entergame=10&wd_server=4", L"g");
    EXPECT_TRUE(m.enterGame); // a substring test: 10 counts too
    EXPECT_EQ(m.serverId, L"4");

    m = ReadLoginMarkers(L"http://g/play?wd_entergame=0&wd_server=4", L"g");
    EXPECT_FALSE(m.enterGame);
    EXPECT_EQ(m.serverId, L""); // the server only comes with the enter-game marker

    m = ReadLoginMarkers(L"http://g/p?wd_server=9&wd_username=u&wd_entergame=1", L"g");
    EXPECT_TRUE(m.enterGame);
    EXPECT_EQ(m.serverId, L"9");
    EXPECT_EQ(m.userName, L"u&wd_entergame=1");
}

TEST(LoginMarkers, ExternalLoginPagesOnTheLoginHostOnly) {
    const std::wstring host = L"login.example:81";
    EXPECT_TRUE(IsExternalLoginUrl(L"http://login.example:81/qq?a=1", host));
    EXPECT_TRUE(IsExternalLoginUrl(L"https://login.example:81/weibo?x", host));
    EXPECT_FALSE(IsExternalLoginUrl(L"http://login.example:81/qq", host)); // no "?"
    EXPECT_FALSE(IsExternalLoginUrl(L"http://login.example:81/QQ?a=1", host));
    EXPECT_FALSE(IsExternalLoginUrl(L"http://other.example/qq?a=1", host));
    EXPECT_FALSE(IsExternalLoginUrl(L"http://login.example:8/qq?a=1", host));
    // Only the URL's own host counts, not the text wrapped in another server's URL.
    EXPECT_FALSE(IsExternalLoginUrl(L"http://r/?to=//login.example:81/weibo?z", host));
}

} // namespace
