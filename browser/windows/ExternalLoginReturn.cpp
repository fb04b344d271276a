#include "browser/windows/ExternalLoginReturn.h"

#include "app/base/TextUtils.h"
#include "app/base/UrlOrigin.h"

ExternalLoginStep DecideExternalLoginStep(const std::wstring& url, bool topLevel, const PlatformHosts& hosts,
                                          const AnsiCodec& codec) {
    ExternalLoginStep step;
    if (IsWebUrlOnHost(url, hosts.game) && ParseUrlOrigin(url).rest.compare(0, 13, L"/server/wan/?") == 0) {
        step.forward = codec.toWide(UrlDecode(codec.toNarrow(GetUrlParam(L"forward", url))));
        step.continueLogin = IsOnPlatformHost(step.forward, hosts);
        step.close = true;
    } else if (IsReturnToLoginUrl(url, topLevel, hosts)) {
        step.close = true;
    }
    return step;
}
