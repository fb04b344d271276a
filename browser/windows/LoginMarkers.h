// What the login window reads from the URLs its page is about to open: the user
// name, the chosen server and the request to enter the game, and whether a new
// window is the QQ or Weibo login page. The marker texts are case-sensitive
// substrings, but they count only in an http or https URL on the platform host
// that owns them (the web host for the login markers, the login host for the
// external login pages); the same URL from any other server means nothing.
#pragma once

#include <string>

struct LoginMarkers {
    bool hasUserName = false;
    std::wstring userName;  // everything after "wd_username=" to the end ("&" included)
    bool enterGame = false; // "wd_entergame=1" anywhere
    std::wstring serverId;  // the "wd_server" query value of an enter-game URL
};

// Nothing is read unless url is on webHost ("host" or "host:port").
LoginMarkers ReadLoginMarkers(const std::wstring& url, const std::wstring& webHost);

// An http or https URL on the login host whose path is "/qq" or "/weibo" followed
// by a query ("?").
bool IsExternalLoginUrl(const std::wstring& url, const std::wstring& loginHost);
