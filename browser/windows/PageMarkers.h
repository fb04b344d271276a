// Whose word a marker URL is. The markers that open or fill a window count only
// from the platform server that owns them (see LoginMarkers.h and
// ExternalLoginReturn.h); the one that only closes a window may come from any
// top-level page, but from a frame only when the frame is on a platform host,
// so an advertisement inside a page cannot end the game.
#pragma once

#include <string>

// The three platform servers, each "host" or "host:port".
struct PlatformHosts {
    std::wstring web;   // login page, enter-game and user-name markers
    std::wstring login; // QQ and Weibo login pages
    std::wstring game;  // return address of an external-account login
};

// This build's hosts (app/base/Endpoints.h).
PlatformHosts ConfiguredPlatformHosts();

// http or https on one of the three hosts.
bool IsOnPlatformHost(const std::wstring& url, const PlatformHosts& hosts);

// "wd_returnlogin=1" (case-sensitive, anywhere), from the top-level page of any
// host or from a frame on a platform host.
bool IsReturnToLoginUrl(const std::wstring& url, bool topLevel, const PlatformHosts& hosts);
