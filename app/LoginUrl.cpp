#include "app/LoginUrl.h"

#include "app/base/TextUtils.h"

std::wstring InstallDateOf(const std::wstring& installTime) {
    return RemoveAll(installTime.substr(0, 10), L"-");
}

std::wstring BuildLoginUrl(const std::wstring& base, const LoginQueryValues& v) {
    std::wstring query = L"referer=" + v.refer + L"&frm=" + v.uid + L"&version=" + std::to_wstring(v.build) +
                         L"&installtime=" + InstallDateOf(v.installTime) + L"&runcount=" +
                         std::to_wstring(v.runCount) + L"&curtime=" + v.currentTime + L"&showlogintype=3";
    if (v.runCount == 1)
        query += L"&regtimes=1";
    return base + (Contains(base, L"?") ? L"&" : L"?") + query;
}
