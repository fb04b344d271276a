#include "net/BeaconUrls.h"

#include "app/base/Endpoints.h"
#include "app/base/TextUtils.h"

namespace {

// "/ps.gif?id=2&gid=..&e1=..&e2=..&e3=..&e4=..&e5=..&e6=..[&e7=..]&e8=..&e9=..&at=.."
// e7 is present only when dayCode is not 0.
std::wstring PsGif(const std::wstring& baseUrl, const BeaconValues& v, int dayCode, int at) {
    std::wstring url = baseUrl;
    url += L"/ps.gif?id=2&gid=" + std::to_wstring(endpoints::kGameId);
    url += L"&e1=" + v.channel;
    url += L"&e2=" + v.refer;
    url += L"&e3=" + v.uid;
    url += L"&e4=" + v.guid;
    url += L"&e5=" + v.hardwareId;
    url += L"&e6=" + std::to_wstring(v.netCafe ? 1 : 2);
    if (dayCode)
        url += L"&e7=" + std::to_wstring(dayCode);
    url += L"&e8=" + std::to_wstring(endpoints::kBuildNumber);
    url += L"&e9=" + v.installTime;
    url += L"&at=" + std::to_wstring(at);
    return url;
}

} // namespace

BeaconRequest MakeInstallBeacon(const std::wstring& baseUrl, const BeaconValues& values, int installType) {
    return {PsGif(baseUrl, values, 0, installType == 1 ? 3 : 2), kRequestInstallBeacon, L"InstallStat.tmp"};
}

BeaconRequest MakeActiveBeacon(const std::wstring& baseUrl, const BeaconValues& values, bool autorunStart) {
    return {PsGif(baseUrl, values, 0, autorunStart ? 4 : 5), kRequestActiveBeacon, L"ActiveStat.tmp"};
}

BeaconRequest MakeUninstallBeacon(const std::wstring& baseUrl, const BeaconValues& values,
                                  const std::wstring& today) {
    const bool installedToday = !today.empty() && values.installTime.find(today) != std::wstring::npos;
    return {PsGif(baseUrl, values, installedToday ? 1 : 2, 6), kRequestUninstallBeacon, L"UninstallStat.tmp"};
}

BeaconRequest MakeUnionStats(const std::wstring& baseUrl, const std::string& ansiUrl, bool platformBrowser) {
    const std::string encoded = UrlEncode(ansiUrl);
    const std::wstring encodedUrl(encoded.begin(), encoded.end());
    const wchar_t* path =
        platformBrowser ? L"/web/ajax70?uId2=XBRQMWTZKD&r=" : L"/web/ajax71?uId2=XBRQMWTZKD&r=";
    BeaconRequest r;
    r.url = baseUrl + path + encodedUrl + L"&lO=tollis";
    r.requestType = platformBrowser ? kRequestUnionPlatform : kRequestUnionOther;
    r.fileName = platformBrowser ? L"OrvoBrowser.tmp" : L"ElseBrowser.tmp";
    return r;
}
