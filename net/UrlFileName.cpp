#include "net/UrlFileName.h"

std::wstring UrlFileName(const std::wstring& url) {
    const size_t slash = url.rfind(L'/');
    if (slash == std::wstring::npos)
        return std::wstring();
    return url.substr(slash + 1);
}
