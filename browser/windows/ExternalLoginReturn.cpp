#include "browser/windows/ExternalLoginReturn.h"

#include "app/base/TextUtils.h"

ExternalLoginStep DecideExternalLoginStep(const std::wstring& url, const std::wstring& gameHost,
                                          const AnsiCodec& codec) {
    ExternalLoginStep step;
    if (Contains(url, L"//" + gameHost + L"/server/wan/?")) {
        step.continueLogin = true;
        step.forward = codec.toWide(UrlDecode(codec.toNarrow(GetUrlParam(L"forward", url))));
        step.close = true;
    } else if (Contains(url, L"wd_returnlogin=1")) {
        step.close = true;
    }
    return step;
}
