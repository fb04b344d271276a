#include "browser/windows/GameRules.h"

bool IsReturnToLoginUrl(const std::wstring& url) {
    return url.find(L"wd_returnlogin=1") != std::wstring::npos;
}

std::wstring AutoRunValueData(const wchar_t* path, unsigned copied, unsigned capacity) {
    if (!path || copied == 0 || copied >= capacity)
        return std::wstring();
    return L"\"" + std::wstring(path, copied) + L"\" /autorun";
}
