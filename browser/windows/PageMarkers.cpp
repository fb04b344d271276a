#include "browser/windows/PageMarkers.h"

#include "app/base/Endpoints.h"
#include "app/base/TextUtils.h"
#include "app/base/UrlOrigin.h"

PlatformHosts ConfiguredPlatformHosts() {
    return {endpoints::PlatformWebHost(), endpoints::PlatformLoginHost(), endpoints::PlatformGameHost()};
}

bool IsOnPlatformHost(const std::wstring& url, const PlatformHosts& hosts) {
    return IsWebUrlOnHost(url, hosts.web) || IsWebUrlOnHost(url, hosts.login) ||
           IsWebUrlOnHost(url, hosts.game);
}

bool IsReturnToLoginUrl(const std::wstring& url, bool topLevel, const PlatformHosts& hosts) {
    return Contains(url, L"wd_returnlogin=1") && (topLevel || IsOnPlatformHost(url, hosts));
}
