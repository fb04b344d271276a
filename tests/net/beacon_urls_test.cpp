// The statistics request URLs, compared as whole strings: the back end parses
// them by position and key, so every byte counts.
#include "net/BeaconUrls.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kBase = L"http://127.0.0.1:18305";

BeaconValues Values() {
    BeaconValues v;
    v.channel = L"wd";
    v.refer = L"orvoportal";
    v.uid = L"tavro";
    v.guid = L"0F8FAD5BD9CB469FA16570867728950E";
    v.hardwareId = L"d41d8cd98f00b204e9800998ecf8427e";
    v.netCafe = false;
    v.installTime = L"2024-03-05 10:20:30";
    return v;
}

const std::wstring kCommon = L"http://127.0.0.1:18305/ps.gif?id=2&gid=1036&e1=wd&e2=orvoportal&e3=tavro"
                             L"&e4=0F8FAD5BD9CB469FA16570867728950E&e5=d41d8cd98f00b204e9800998ecf8427e";

TEST(BeaconUrls, InstallBeacon) {
    const BeaconRequest r = MakeInstallBeacon(kBase, Values(), 0);
    EXPECT_EQ(r.url, kCommon + L"&e6=2&e8=3000&e9=2024-03-05 10:20:30&at=2");
    EXPECT_EQ(r.requestType, 3);
    EXPECT_EQ(r.fileName, L"InstallStat.tmp");

    EXPECT_EQ(MakeInstallBeacon(kBase, Values(), 1).url,
              kCommon + L"&e6=2&e8=3000&e9=2024-03-05 10:20:30&at=3");
    // Any other install type counts as a normal installation.
    EXPECT_EQ(MakeInstallBeacon(kBase, Values(), 2).url,
              kCommon + L"&e6=2&e8=3000&e9=2024-03-05 10:20:30&at=2");
    EXPECT_EQ(MakeInstallBeacon(kBase, Values(), -1).url,
              kCommon + L"&e6=2&e8=3000&e9=2024-03-05 10:20:30&at=2");
}

TEST(BeaconUrls, ActiveBeacon) {
    const BeaconRequest r = MakeActiveBeacon(kBase, Values(), false);
    EXPECT_EQ(r.url, kCommon + L"&e6=2&e8=3000&e9=2024-03-05 10:20:30&at=5");
    EXPECT_EQ(r.requestType, 5);
    EXPECT_EQ(r.fileName, L"ActiveStat.tmp");
    EXPECT_EQ(MakeActiveBeacon(kBase, Values(), true).url,
              kCommon + L"&e6=2&e8=3000&e9=2024-03-05 10:20:30&at=4");
}

TEST(BeaconUrls, UninstallBeaconDayCode) {
    const struct {
        const wchar_t* today;
        const wchar_t* e7;
    } cases[] = {
        {L"2024-03-05", L"1"}, // installed today
        {L"2024-03-06", L"2"}, // a later day
        {L"2023-03-05", L"2"},
        {L"", L"2"}, // no date known: not today
    };
    for (const auto& c : cases) {
        const BeaconRequest r = MakeUninstallBeacon(kBase, Values(), c.today);
        EXPECT_EQ(r.url, kCommon + L"&e6=2&e7=" + c.e7 + L"&e8=3000&e9=2024-03-05 10:20:30&at=6") << c.today;
        EXPECT_EQ(r.requestType, 4);
        EXPECT_EQ(r.fileName, L"UninstallStat.tmp");
    }
}

TEST(BeaconUrls, NetCafeAndUnusualValuesGoInUnencoded) {
    BeaconValues v = Values();
    v.netCafe = true;
    v.refer = L"a b&c";
    v.installTime = L"";
    EXPECT_EQ(MakeActiveBeacon(kBase, v, false).url,
              L"http://127.0.0.1:18305/ps.gif?id=2&gid=1036&e1=wd&e2=a b&c&e3=tavro"
              L"&e4=0F8FAD5BD9CB469FA16570867728950E&e5=d41d8cd98f00b204e9800998ecf8427e"
              L"&e6=1&e8=3000&e9=&at=5");
}

TEST(UnionStats, PlatformAndOtherBrowser) {
    const std::wstring base = L"http://union.example";
    const BeaconRequest platform = MakeUnionStats(base, "http://h/p", true);
    EXPECT_EQ(platform.url,
              L"http://union.example/web/ajax70?uId2=XBRQMWTZKD&r=http%3a%2f%2fh%2fp&lO=tollis");
    EXPECT_EQ(platform.requestType, 7);
    EXPECT_EQ(platform.fileName, L"OrvoBrowser.tmp");

    const BeaconRequest other = MakeUnionStats(base, "http://h/p", false);
    EXPECT_EQ(other.url, L"http://union.example/web/ajax71?uId2=XBRQMWTZKD&r=http%3a%2f%2fh%2fp&lO=tollis");
    EXPECT_EQ(other.requestType, 8);
    EXPECT_EQ(other.fileName, L"ElseBrowser.tmp");
}

TEST(UnionStats, EncodesEveryByteOfTheOpenedUrl) {
    // Spaces, "&", "?", "/", the marks that stay, and ANSI bytes above 0x7F (the
    // GBK form of two Chinese characters).
    const std::string opened = "http://pay.example/a b/pay.html?gid=1036&sid=3&u=\xd6\xd0\xce\xc4~!*()'-_.";
    const BeaconRequest r = MakeUnionStats(L"http://u", opened, false);
    EXPECT_EQ(r.url, L"http://u/web/ajax71?uId2=XBRQMWTZKD&r="
                     L"http%3a%2f%2fpay%2eexample%2fa%20b%2fpay%2ehtml%3fgid%3d1036%26sid%3d3%26u%3d"
                     L"%d6%d0%ce%c4~!*()'%2d%5f%2e&lO=tollis");
    EXPECT_EQ(MakeUnionStats(L"http://u", "", true).url, L"http://u/web/ajax70?uId2=XBRQMWTZKD&r=&lO=tollis");
}

} // namespace
