// URL decoding, query parameters, the origin parser, the windows' marker rules, the
// download's file name and the redirect rule on any text.
#include "app/base/TextUtils.h"
#include "app/base/UrlOrigin.h"
#include "browser/windows/ExternalLoginReturn.h"
#include "browser/windows/LoginMarkers.h"
#include "browser/windows/PageMarkers.h"
#include "net/ResponseRules.h"
#include "net/TargetPath.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return tail.size() <= text.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void CheckOrigin(const std::wstring& url) {
    const UrlOrigin o = ParseUrlOrigin(url);
    if (!o.valid)
        return;
    Require(!o.host.empty() && !o.scheme.empty());
    for (wchar_t c : o.scheme + o.host)
        Require(!(c >= L'A' && c <= L'Z') && c > L' ');
    Require(o.host.find_first_of(L"@/?#\\") == std::wstring::npos);
    Require(o.port >= -1 && o.port <= 65535);
    Require(o.rest.empty() || std::wstring(L"/?#\\").find(o.rest[0]) != std::wstring::npos);
    Require(EndsWith(url, o.rest));
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
    const bool topLevel = in.Byte() & 1;
    const std::wstring value = GetUrlParam(key.c_str(), url);
    Require(value.find(L'&') == std::wstring::npos);
    // A whole key: the value follows "?" or "&", the key and "=".
    Require(value.empty() || url.find(L"?" + key + L"=" + value) != std::wstring::npos ||
            url.find(L"&" + key + L"=" + value) != std::wstring::npos);

    CheckOrigin(url);
    // The key line doubles as a configured host: whatever matches it is a web URL.
    const bool onHost = IsWebUrlOnHost(url, key);
    if (onHost) {
        const UrlOrigin o = ParseUrlOrigin(url);
        Require(o.valid && (o.scheme == L"http" || o.scheme == L"https"));
    }
    const LoginMarkers m = ReadLoginMarkers(url, key);
    Require(!m.hasUserName || EndsWith(url, m.userName));
    Require(m.enterGame || m.serverId.empty());
    Require(onHost || (!m.hasUserName && !m.enterGame));
    Require(!IsExternalLoginUrl(url, key) || onHost);

    const PlatformHosts hosts = {key, key, key};
    const AnsiCodec latin1 = {[](const std::wstring& t) { return std::string(t.begin(), t.end()); },
                              [](const std::string& b) {
                                  std::wstring w;
                                  for (char c : b)
                                      w += wchar_t(static_cast<unsigned char>(c));
                                  return w;
                              }};
    const ExternalLoginStep step = DecideExternalLoginStep(url, topLevel, hosts, latin1);
    Require(!step.continueLogin || (step.close && IsOnPlatformHost(step.forward, hosts)));
    Require(!IsReturnToLoginUrl(url, false, hosts) || IsOnPlatformHost(url, hosts));

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
