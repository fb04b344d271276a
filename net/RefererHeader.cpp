#include "net/RefererHeader.h"

std::wstring RefererHeader(const std::wstring& url) {
    if (url.empty())
        return std::wstring();
    for (wchar_t c : url) {
        if (c < 0x20 || c == 0x7F)
            return std::wstring();
    }
    return L"Referer: " + url + L"\r\n";
}
