#include "net/UrlFileName.h"

std::wstring UrlFileName(const std::wstring& url) {
    const size_t slash = url.rfind(L'/');
    if (slash == std::wstring::npos)
        return std::wstring();
    return url.substr(slash + 1);
}

bool IsAcceptedFileName(const std::wstring& name) {
    if (name.empty() || name.find(L"..") != std::wstring::npos)
        return false;
    for (const wchar_t c : name) {
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
            return false;
    }
    return name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}
