#include "app/base/Endpoints.h"

#include "GantryHosts.h"

namespace endpoints {
namespace {
std::wstring Http(const std::wstring& host) {
    return L"http://" + host;
}
} // namespace

std::wstring PlatformWebHost() {
    return GANTRY_PLATFORM_WEB_HOST;
}
std::wstring PlatformLoginHost() {
    return GANTRY_PLATFORM_LOGIN_HOST;
}
std::wstring PlatformGameHost() {
    return GANTRY_PLATFORM_GAME_HOST;
}
std::wstring UpdateHost() {
    return GANTRY_UPDATE_HOST;
}
std::wstring BeaconHost() {
    return GANTRY_BEACON_HOST;
}
std::wstring UnionStatsHost() {
    return GANTRY_UNION_STATS_HOST;
}

std::wstring LoginPageUrl() {
    return Http(PlatformWebHost()) + L"/tavro/wd/index.html";
}
std::wstring HomePageUrl() {
    return Http(PlatformWebHost()) + L"/tavro.html?frm=plox-wd&referer=plox";
}
std::wstring ServicePageUrl() {
    return Http(PlatformWebHost()) + L"/kefu.html?gid=1036";
}
std::wstring ForumPageUrl() {
    return Http(PlatformWebHost()) + L"/bbs.html?gid=1036";
}

// Both values go in as they are, unencoded: the platform expects them that way.
std::wstring PayPageUrl(const std::wstring& serverId, const std::wstring& userName) {
    return Http(PlatformWebHost()) + L"/pay.html?gid=1036&sid=" + serverId + L"&uid=" + userName;
}

std::wstring QQLoginMarker() {
    return L"//" + PlatformLoginHost() + L"/qq?";
}
std::wstring WeiboLoginMarker() {
    return L"//" + PlatformLoginHost() + L"/weibo?";
}
std::wstring ExternalReturnMarker() {
    return L"//" + PlatformGameHost() + L"/server/wan/?";
}

std::wstring VersionFileUrl() {
    return Http(UpdateHost()) + L"/Orvo/tavro/official/app.ini";
}
std::wstring UpgraderUrl() {
    return Http(UpdateHost()) + L"/Orvo/tavro/official/Orvotavro.exe";
}

std::wstring BeaconBaseUrl() {
    return Http(BeaconHost());
}
std::wstring UnionStatsBaseUrl() {
    return Http(UnionStatsHost());
}

} // namespace endpoints
