// URL decoding, query parameters and the login window's marker tests on any text.
#include "app/base/TextUtils.h"
#include "browser/windows/LoginMarkers.h"
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
    return 0;
}
