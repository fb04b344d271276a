#include "browser/windows/LoginMarkers.h"

#include "app/base/TextUtils.h"
#include "app/base/UrlOrigin.h"

LoginMarkers ReadLoginMarkers(const std::wstring& url, const std::wstring& webHost) {
    LoginMarkers m;
    if (!IsWebUrlOnHost(url, webHost))
        return m;
    static const std::wstring kUserName = L"wd_username=";
    const size_t user = url.find(kUserName);
    if (user != std::wstring::npos) {
        m.hasUserName = true;
        m.userName = url.substr(user + kUserName.size());
    }
    if (Contains(url, L"wd_entergame=1")) {
        m.enterGame = true;
        m.serverId = GetUrlParam(L"wd_server", url);
    }
    return m;
}

bool IsExternalLoginUrl(const std::wstring& url, const std::wstring& loginHost) {
    if (!IsWebUrlOnHost(url, loginHost))
        return false;
    const std::wstring rest = ParseUrlOrigin(url).rest;
    return rest.compare(0, 4, L"/qq?") == 0 || rest.compare(0, 7, L"/weibo?") == 0;
}
