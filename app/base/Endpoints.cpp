#include "app/base/Endpoints.h"

#include "GantryHosts.h"

namespace endpoints {
namespace {
std::wstring Base(const std::wstring& scheme, const std::wstring& host) {
    return scheme + L"://" + host;
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

std::wstring PlatformWebBaseUrl() {
    return Base(GANTRY_PLATFORM_WEB_SCHEME, PlatformWebHost());
}
std::wstring PlatformLoginBaseUrl() {
    return Base(GANTRY_PLATFORM_LOGIN_SCHEME, PlatformLoginHost());
}
std::wstring PlatformGameBaseUrl() {
    return Base(GANTRY_PLATFORM_GAME_SCHEME, PlatformGameHost());
}
std::wstring UpdateBaseUrl() {
    return Base(GANTRY_UPDATE_SCHEME, UpdateHost());
}
std::wstring BeaconBaseUrl() {
    return Base(GANTRY_BEACON_SCHEME, BeaconHost());
}
std::wstring UnionStatsBaseUrl() {
    return Base(GANTRY_UNION_STATS_SCHEME, UnionStatsHost());
}

std::wstring LoginPageUrl() {
    return PlatformWebBaseUrl() + L"/tavro/wd/index.html";
}
std::wstring HomePageUrl() {
    return PlatformWebBaseUrl() + L"/tavro.html?frm=plox-wd&referer=plox";
}
std::wstring ServicePageUrl() {
    return PlatformWebBaseUrl() + L"/kefu.html?gid=" + std::to_wstring(kGameId);
}
std::wstring ForumPageUrl() {
    return PlatformWebBaseUrl() + L"/bbs.html?gid=" + std::to_wstring(kGameId);
}

// Both values go in as they are, unencoded: the platform expects them that way.
std::wstring PayPageUrl(const std::wstring& serverId, const std::wstring& userName) {
    return PlatformWebBaseUrl() + L"/pay.html?gid=" + std::to_wstring(kGameId) + L"&sid=" + serverId +
           L"&uid=" + userName;
}

std::wstring QQLoginMarker() {
    return PlatformLoginBaseUrl() + L"/qq?";
}
std::wstring WeiboLoginMarker() {
    return PlatformLoginBaseUrl() + L"/weibo?";
}
std::wstring ExternalReturnMarker() {
    return PlatformGameBaseUrl() + L"/server/wan/?";
}

std::wstring VersionFileUrl() {
    return UpdateBaseUrl() + L"/Orvo/tavro/official/app.ini";
}
std::wstring UpgraderUrl() {
    return UpdateBaseUrl() + L"/Orvo/tavro/official/Orvotavro.exe";
}

} // namespace endpoints
