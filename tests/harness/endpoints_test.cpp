#include "app/base/Endpoints.h"

#include <gtest/gtest.h>

namespace {

TEST(Endpoints, EachBaseUrlIsItsBareHostWithAScheme) {
    const std::pair<std::wstring, std::wstring> rows[] = {
        {endpoints::PlatformWebBaseUrl(), endpoints::PlatformWebHost()},
        {endpoints::PlatformLoginBaseUrl(), endpoints::PlatformLoginHost()},
        {endpoints::PlatformGameBaseUrl(), endpoints::PlatformGameHost()},
        {endpoints::UpdateBaseUrl(), endpoints::UpdateHost()},
        {endpoints::BeaconBaseUrl(), endpoints::BeaconHost()},
        {endpoints::UnionStatsBaseUrl(), endpoints::UnionStatsHost()},
    };
    for (const auto& [base, host] : rows) {
        EXPECT_TRUE(base == L"http://" + host || base == L"https://" + host) << base;
        EXPECT_EQ(host.find(L'/'), std::wstring::npos) << host; // bare: no scheme, no path
    }
}

TEST(Endpoints, PathsSitOnTheirOwnHostsAndSchemes) {
    const std::wstring web = endpoints::PlatformWebBaseUrl();
    EXPECT_EQ(endpoints::LoginPageUrl(), web + L"/tavro/wd/index.html");
    EXPECT_EQ(endpoints::HomePageUrl(), web + L"/tavro.html?frm=plox-wd&referer=plox");
    EXPECT_EQ(endpoints::ServicePageUrl(), web + L"/kefu.html?gid=1036");
    EXPECT_EQ(endpoints::ForumPageUrl(), web + L"/bbs.html?gid=1036");
    EXPECT_EQ(endpoints::VersionFileUrl(), endpoints::UpdateBaseUrl() + L"/Orvo/tavro/official/app.ini");
    EXPECT_EQ(endpoints::UpgraderUrl(), endpoints::UpdateBaseUrl() + L"/Orvo/tavro/official/Orvotavro.exe");
}

TEST(Endpoints, PayPageTakesItsValuesUnencoded) {
#ifdef GANTRY_BREAK_ASSERTION
    const std::wstring expectedSid = L"s%201"; // deliberately wrong: this copy must fail
#else
    const std::wstring expectedSid = L"s 1";
#endif
    EXPECT_EQ(endpoints::PayPageUrl(L"s 1", L"a&b"),
              endpoints::PlatformWebBaseUrl() + L"/pay.html?gid=1036&sid=" + expectedSid + L"&uid=a&b");
}

TEST(Endpoints, MarkersNameTheLoginAndGameHostsOnTheirSchemes) {
    EXPECT_EQ(endpoints::QQLoginMarker(), endpoints::PlatformLoginBaseUrl() + L"/qq?");
    EXPECT_EQ(endpoints::WeiboLoginMarker(), endpoints::PlatformLoginBaseUrl() + L"/weibo?");
    EXPECT_EQ(endpoints::ExternalReturnMarker(), endpoints::PlatformGameBaseUrl() + L"/server/wan/?");
}

} // namespace
