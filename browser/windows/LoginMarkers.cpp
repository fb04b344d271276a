#include "browser/windows/LoginMarkers.h"

#include "app/base/TextUtils.h"

LoginMarkers ReadLoginMarkers(const std::wstring& url) {
    LoginMarkers m;
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
    return Contains(url, L"//" + loginHost + L"/qq?") || Contains(url, L"//" + loginHost + L"/weibo?");
}
