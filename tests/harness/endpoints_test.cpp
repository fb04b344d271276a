#include "app/base/Endpoints.h"

#include <gtest/gtest.h>

namespace {

bool StartsWith(const std::wstring& s, const std::wstring& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

TEST(Endpoints, PathsSitOnTheirOwnHosts) {
    const std::wstring web = L"http://" + endpoints::PlatformWebHost();
    EXPECT_EQ(endpoints::LoginPageUrl(), web + L"/tavro/wd/index.html");
    EXPECT_EQ(endpoints::HomePageUrl(), web + L"/tavro.html?frm=plox-wd&referer=plox");
    EXPECT_EQ(endpoints::ServicePageUrl(), web + L"/kefu.html?gid=1036");
    EXPECT_EQ(endpoints::ForumPageUrl(), web + L"/bbs.html?gid=1036");
    EXPECT_EQ(endpoints::VersionFileUrl(),
              L"http://" + endpoints::UpdateHost() + L"/Orvo/tavro/official/app.ini");
    EXPECT_EQ(endpoints::UpgraderUrl(),
              L"http://" + endpoints::UpdateHost() + L"/Orvo/tavro/official/Orvotavro.exe");
    EXPECT_TRUE(StartsWith(endpoints::BeaconBaseUrl(), L"http://" + endpoints::BeaconHost()));
}

TEST(Endpoints, PayPageTakesItsValuesUnencoded) {
#ifdef GANTRY_BREAK_ASSERTION
    const std::wstring expectedSid = L"s%201"; // deliberately wrong: this copy must fail
#else
    const std::wstring expectedSid = L"s 1";
#endif
    EXPECT_EQ(endpoints::PayPageUrl(L"s 1", L"a&b"), L"http://" + endpoints::PlatformWebHost() +
                                                         L"/pay.html?gid=1036&sid=" + expectedSid +
                                                         L"&uid=a&b");
}

TEST(Endpoints, MarkersNameTheLoginAndGameHosts) {
    EXPECT_EQ(endpoints::QQLoginMarker(), L"//" + endpoints::PlatformLoginHost() + L"/qq?");
    EXPECT_EQ(endpoints::WeiboLoginMarker(), L"//" + endpoints::PlatformLoginHost() + L"/weibo?");
    EXPECT_EQ(endpoints::ExternalReturnMarker(), L"//" + endpoints::PlatformGameHost() + L"/server/wan/?");
}

} // namespace
