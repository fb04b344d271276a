// The platform's web endpoints. Hosts are deployment values fixed at configure
// time (see the *_HOST cache variables); paths and queries are the platform's.
#pragma once

#include <string>

namespace endpoints {

// This build's number (its dotted version without the dots), defined in BuildNumber.cpp
// alone so that a build of another version recompiles one file, and the platform's id of the game.
extern const int kBuildNumber;
constexpr int kGameId = 1036;

// Bare host names, "host" or "host:port" (what a page URL's host is compared with).
std::wstring PlatformWebHost();
std::wstring PlatformLoginHost();
std::wstring PlatformGameHost();
std::wstring UpdateHost();
std::wstring BeaconHost();
std::wstring UnionStatsHost();

// Each host with the scheme it is reached with, "https://host[:port]" or
// "http://host[:port]": every URL of that host starts so.
std::wstring PlatformWebBaseUrl();
std::wstring PlatformLoginBaseUrl();
std::wstring PlatformGameBaseUrl();
std::wstring UpdateBaseUrl();
std::wstring BeaconBaseUrl();
std::wstring UnionStatsBaseUrl();

// Platform web host.
std::wstring LoginPageUrl();   // login page, without the login query
std::wstring HomePageUrl();    // official site
std::wstring ServicePageUrl(); // customer service
std::wstring ForumPageUrl();   // forum
std::wstring PayPageUrl(const std::wstring& serverId, const std::wstring& userName);

// Texts recognised inside URLs the browsers are about to open: the QQ and Weibo
// login pages and the return address, each on its host's scheme.
std::wstring QQLoginMarker();        // login base URL + "/qq?"
std::wstring WeiboLoginMarker();     // login base URL + "/weibo?"
std::wstring ExternalReturnMarker(); // game base URL + "/server/wan/?"

// Update download host: defaults of the VersionCheck and VersionDownLoad settings.
std::wstring VersionFileUrl();
std::wstring UpgraderUrl();

} // namespace endpoints
