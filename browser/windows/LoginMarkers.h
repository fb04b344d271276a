// What the login window reads from the URLs its page is about to open: the user
// name, the chosen server and the request to enter the game, and whether a new
// window is the QQ or Weibo login page. Every test is a case-sensitive substring
// test of the whole URL.
#pragma once

#include <string>

struct LoginMarkers {
    bool hasUserName = false;
    std::wstring userName;  // everything after "wd_username=" to the end ("&" included)
    bool enterGame = false; // "wd_entergame=1" anywhere
    std::wstring serverId;  // the "wd_server" query value of an enter-game URL
};

LoginMarkers ReadLoginMarkers(const std::wstring& url);

// "//" + login host + "/qq?" or "/weibo?" anywhere in the URL.
bool IsExternalLoginUrl(const std::wstring& url, const std::wstring& loginHost);
