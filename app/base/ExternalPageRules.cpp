#include "app/base/ExternalPageRules.h"

namespace {
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kWow64_64Key = 0x0100;
constexpr uint32_t kWow64_32Key = 0x0200;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
} // namespace

RegistryLocation PlatformBrowserLocation(int osBits) {
    if (osBits == 64)
        return {L"SOFTWARE\\Wow6432Node\\OrvoExplorer", kKeyRead | kWow64_64Key};
    return {L"SOFTWARE\\OrvoExplorer", kKeyRead | kWow64_32Key};
}

std::wstring RegistryFolderText(const wchar_t* data, size_t byteSize, uint32_t type) {
    if (!data || (type != kRegSz && type != kRegExpandSz) || byteSize % 2 != 0)
        return std::wstring();
    const size_t units = byteSize / 2;
    for (size_t i = 0; i < units; ++i)
        if (data[i] == L'\0')
            return std::wstring(data, i);
    return std::wstring(); // not terminated within what was read
}

std::wstring UnquotedPath(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return std::wstring();
    const size_t last = text.find_last_not_of(L' ');
    std::wstring path = text.substr(first, last - first + 1);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
        path = path.substr(1, path.size() - 2);
    return path;
}

bool PathIsAbsolute(const std::wstring& path) {
    const bool drive = path.size() >= 3 &&
                       ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                       path[1] == L':' && path[2] == L'\\';
    return drive || path.compare(0, 2, L"\\\\") == 0;
}

std::wstring UrlAsSingleArgument(const std::wstring& url) {
    std::wstring out;
    out.reserve(url.size());
    for (wchar_t c : url) {
        switch (c) {
        case L' ':
            out += L"%20";
            break;
        case L'\t':
            out += L"%09";
            break;
        case L'\n':
            out += L"%0A";
            break;
        case L'\r':
            out += L"%0D";
            break;
        case L'"':
            out += L"%22";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool IsWebAddress(const std::wstring& url) {
    for (const wchar_t* scheme : {L"http://", L"https://"}) {
        const std::wstring prefix(scheme);
        if (url.size() <= prefix.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < prefix.size() && same; ++i) {
            const wchar_t c = url[i];
            same = (c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c) == prefix[i];
        }
        if (same)
            return true;
    }
    return false;
}
