#include "net/ResponseRules.h"

#include <cwctype>

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || static_cast<wchar_t>(std::towlower(text[i])) != prefix[i])
            return false;
    }
    return true;
}

// "scheme://authority" of an absolute http or https URL.
std::wstring OriginOf(const std::wstring& url) {
    const size_t start = url.find(L"://") + 3;
    const size_t end = url.find_first_of(L"/?#", start);
    return url.substr(0, end == std::wstring::npos ? url.size() : end);
}

// Whether the reference opens with a scheme ("name:" before any "/", "?" or "#").
bool HasScheme(const std::wstring& reference) {
    const size_t colon = reference.find(L':');
    if (colon == 0 || colon == std::wstring::npos || reference.find_first_of(L"/?#") < colon)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        const wchar_t c = reference[i];
        const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
        if (!letter && (i == 0 || !((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.')))
            return false;
    }
    return true;
}

std::wstring Resolve(const std::wstring& from, const std::wstring& location) {
    if (HasScheme(location))
        return location;
    if (location.compare(0, 2, L"//") == 0)
        return from.substr(0, from.find(L"://") + 1) + location;
    if (!location.empty() && location[0] == L'/')
        return OriginOf(from) + location;
    // Relative to the folder of the current path (its query cut off first).
    const std::wstring origin = OriginOf(from);
    std::wstring path = from.substr(origin.size());
    path = path.substr(0, path.find_first_of(L"?#"));
    const size_t slash = path.rfind(L'/');
    return origin + (slash == std::wstring::npos ? L"/" : path.substr(0, slash + 1)) + location;
}

} // namespace

bool IsSuccessStatus(unsigned status) {
    return status >= 200 && status <= 299;
}

bool IsRedirectStatus(unsigned status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

UrlScheme SchemeOf(const std::wstring& url) {
    if (StartsWithNoCase(url, L"https://"))
        return UrlScheme::kHttps;
    if (StartsWithNoCase(url, L"http://"))
        return UrlScheme::kHttp;
    return UrlScheme::kOther;
}

std::wstring RedirectTarget(const std::wstring& from, const std::wstring& location) {
    const UrlScheme fromScheme = SchemeOf(from);
    if (fromScheme == UrlScheme::kOther || location.empty())
        return std::wstring();
    std::wstring to = Resolve(from, location);
    to = to.substr(0, to.find(L'#'));
    const UrlScheme toScheme = SchemeOf(to);
    if (toScheme == UrlScheme::kOther || OriginOf(to).size() <= to.find(L"://") + 3)
        return std::wstring(); // no host
    if (toScheme != fromScheme && toScheme != UrlScheme::kHttps)
        return std::wstring();
    return to;
}

bool AnnouncedLengthAccepted(bool hasLength, uint64_t announced, uint64_t limit) {
    return hasLength && announced <= limit;
}

bool ReceivedWithinBounds(uint64_t received, uint64_t announced, uint64_t limit) {
    return received <= announced && received <= limit;
}
