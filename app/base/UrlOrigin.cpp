#include "app/base/UrlOrigin.h"

namespace {

wchar_t Lower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring LowerText(const std::wstring& text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = Lower(c);
    return out;
}

bool IsSchemeChar(wchar_t c, bool first) {
    const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    if (first)
        return letter;
    return letter || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

// Digits only, at most 65535; -1 otherwise (an empty port too).
int ReadPort(const std::wstring& text) {
    if (text.empty() || text.size() > 5)
        return -1;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return -1;
        value = value * 10 + (c - L'0');
    }
    return value <= 65535 ? value : -1;
}

// Splits "host[:port]" (or "[v6]:port"); false when the port is unreadable.
bool SplitHostPort(const std::wstring& text, std::wstring& host, int& port) {
    size_t colon = std::wstring::npos;
    if (!text.empty() && text[0] == L'[') {
        const size_t close = text.find(L']');
        if (close == std::wstring::npos)
            return false;
        if (close + 1 < text.size()) {
            if (text[close + 1] != L':')
                return false;
            colon = close + 1;
        }
    } else {
        colon = text.find(L':');
    }
    host = LowerText(text.substr(0, colon));
    port = -1;
    if (colon != std::wstring::npos && (port = ReadPort(text.substr(colon + 1))) < 0)
        return false;
    return !host.empty();
}

int DefaultPort(const std::wstring& scheme) {
    return scheme == L"https" ? 443 : 80;
}

} // namespace

UrlOrigin ParseUrlOrigin(const std::wstring& url) {
    UrlOrigin origin;
    const size_t colon = url.find(L':');
    if (colon == std::wstring::npos || colon == 0)
        return origin;
    for (size_t i = 0; i < colon; ++i)
        if (!IsSchemeChar(url[i], i == 0))
            return origin;
    if (url.compare(colon + 1, 2, L"//") != 0)
        return origin;
    const size_t start = colon + 3;
    size_t end = url.find_first_of(L"/?#\\", start);
    if (end == std::wstring::npos)
        end = url.size();
    std::wstring authority = url.substr(start, end - start);
    for (wchar_t c : authority)
        if (c <= L' ' || c == 0x7F)
            return origin; // a browser might drop or stop at it; this reading would not be its reading
    const size_t at = authority.rfind(L'@');
    if (at != std::wstring::npos)
        authority.erase(0, at + 1);
    if (!SplitHostPort(authority, origin.host, origin.port))
        return origin;
    origin.scheme = LowerText(url.substr(0, colon));
    origin.rest = url.substr(end);
    origin.valid = true;
    return origin;
}

bool IsWebUrlOnHost(const std::wstring& url, const std::wstring& host) {
    const UrlOrigin origin = ParseUrlOrigin(url);
    if (!origin.valid || (origin.scheme != L"http" && origin.scheme != L"https"))
        return false;
    std::wstring wantedHost;
    int wantedPort = -1;
    if (!SplitHostPort(host, wantedHost, wantedPort))
        return false;
    const int defaultPort = DefaultPort(origin.scheme);
    const int port = origin.port < 0 ? defaultPort : origin.port;
    return origin.host == wantedHost && port == (wantedPort < 0 ? defaultPort : wantedPort);
}
