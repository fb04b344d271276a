// The login page URL: query order, unencoded values, the first-run marker.
#include "app/LoginUrl.h"

#include <gtest/gtest.h>

namespace {

LoginQueryValues Values(int runCount) {
    LoginQueryValues v;
    v.refer = L"orvoportal";
    v.uid = L"tavro";
    v.build = 3000;
    v.installTime = L"2026-12-08 09:15:00";
    v.runCount = runCount;
    v.currentTime = L"20261208183000";
    return v;
}

TEST(LoginUrl, QueryInOrderAndFirstRunMarker) {
    EXPECT_EQ(BuildLoginUrl(L"http://w/tavro/wd/index.html", Values(1)),
              L"http://w/tavro/wd/index.html?referer=orvoportal&frm=tavro&version=3000&installtime=20261208"
              L"&runcount=1&curtime=20261208183000&showlogintype=3&regtimes=1");
    EXPECT_EQ(BuildLoginUrl(L"http://w/i.html", Values(2)),
              L"http://w/i.html?referer=orvoportal&frm=tavro&version=3000&installtime=20261208"
              L"&runcount=2&curtime=20261208183000&showlogintype=3");
    const std::wstring none = BuildLoginUrl(L"http://w/i.html", Values(0));
    EXPECT_NE(none.find(L"&runcount=0&"), std::wstring::npos);
    EXPECT_EQ(none.find(L"regtimes"), std::wstring::npos);
}

TEST(LoginUrl, JoinsWithAmpersandWhenTheBaseHasAQuery) {
    const std::wstring url = BuildLoginUrl(L"http://w/i.html?x=1", Values(2));
    EXPECT_EQ(url.rfind(L"http://w/i.html?x=1&referer=orvoportal&", 0), 0u) << url;
}

TEST(LoginUrl, ValuesGoInUnencoded) {
    LoginQueryValues v = Values(3);
    v.refer = L"my code&x=1/é";
    v.uid = L"u id";
    const std::wstring url = BuildLoginUrl(L"http://w/i.html", v);
    EXPECT_NE(url.find(L"?referer=my code&x=1/é&frm=u id&version=3000&"), std::wstring::npos) << url;
}

TEST(LoginUrl, InstallDateIsTheFirstTenCharactersWithoutDashes) {
    EXPECT_EQ(InstallDateOf(L"2026-12-08 09:15:00"), L"20261208");
    EXPECT_EQ(InstallDateOf(L"2026-1-8"), L"202618"); // shorter than 10: used whole
    EXPECT_EQ(InstallDateOf(L""), L"");
    EXPECT_EQ(InstallDateOf(L"----------xyz"), L"");
}

} // namespace
