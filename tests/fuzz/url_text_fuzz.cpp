// URL decoding, query parameters, the login window's marker tests, the download's
// file name and the redirect rule on any text.
#include "app/base/TextUtils.h"
#include "browser/windows/LoginMarkers.h"
#include "net/ResponseRules.h"
#include "net/TargetPath.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return tail.size() <= text.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Decoding never grows a text, and undoes encoding whatever the bytes.
    Require(UrlDecode(bytes).size() <= bytes.size());
    Require(UrlDecode(UrlEncode(bytes)) == bytes);

    FuzzInput in(data, size);
    const std::wstring key = in.WideLine().c_str(); // the key ends at its first zero, as the call sees it
    const std::wstring url = in.WideLine();
    const std::wstring value = GetUrlParam(key.c_str(), url);
    Require(value.find(L'&') == std::wstring::npos);
    Require(value.empty() || url.find(key + L"=" + value) != std::wstring::npos);

    const LoginMarkers m = ReadLoginMarkers(url);
    Require(!m.hasUserName || EndsWith(url, m.userName));
    Require(m.enterGame || m.serverId.empty());
    IsExternalLoginUrl(url, key);

    // A file named after the URL stays a plain file inside its folder.
    const std::wstring folder = L"C:\\Upgrade\\";
    const std::wstring path = ResolveTargetPath(folder, url, true, false, [] { return std::wstring(L"g"); });
    if (!path.empty()) {
        const std::wstring name = path.substr(folder.size());
        Require(path.compare(0, folder.size(), folder) == 0 && !name.empty());
        Require(name.find_first_of(L"\\/:") == std::wstring::npos && name.find(L"..") == std::wstring::npos);
    }
    // A redirect never leaves https, nor http and https.
    const std::wstring to = RedirectTarget(url, key);
    Require(to.empty() || SchemeOf(to) == UrlScheme::kHttps ||
            (SchemeOf(to) == UrlScheme::kHttp && SchemeOf(url) == UrlScheme::kHttp));
    return 0;
}
