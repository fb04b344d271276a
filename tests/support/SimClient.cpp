#include "tests/support/SimClient.h"

#include "app/base/Handles.h"

#include <wincrypt.h>
#include <wininet.h>

#include <cwctype>

namespace {

const wchar_t* const kHosts[] = {L"web", L"login", L"game", L"update", L"beacon", L"union"};
const size_t kHostCount = sizeof(kHosts) / sizeof(kHosts[0]);
const DWORD kTimeoutMs = 15000;

int HostIndex(const std::wstring& host) {
    for (size_t i = 0; i < kHostCount; ++i) {
        if (host == kHosts[i])
            return static_cast<int>(i);
    }
    return -1;
}

// "host:port" with a port in 1..65535; 0 otherwise.
int PortOf(const std::wstring& hostPort) {
    const size_t colon = hostPort.rfind(L':');
    if (colon == std::wstring::npos || colon == 0 || colon + 1 >= hostPort.size())
        return 0;
    long value = 0;
    for (size_t i = colon + 1; i < hostPort.size(); ++i) {
        if (hostPort[i] < L'0' || hostPort[i] > L'9' || value > 65535)
            return 0;
        value = value * 10 + (hostPort[i] - L'0');
    }
    return value >= 1 && value <= 65535 ? static_cast<int>(value) : 0;
}

std::wstring Encode(const std::wstring& text) {
    const std::string encoded = simlog::PercentEncode(simlog::ToUtf8(text));
    return std::wstring(encoded.begin(), encoded.end());
}

std::wstring ErrorText(const wchar_t* what) {
    return std::wstring(what) + L" failed, error " + std::to_wstring(GetLastError());
}

} // namespace

SimClient SimClient::FromEnvironment() {
    std::vector<std::wstring> hostPorts;
    for (const wchar_t* host : kHosts) {
        std::wstring name = L"GANTRY_SIM_";
        for (const wchar_t* p = host; *p; ++p)
            name += static_cast<wchar_t>(std::towupper(*p));
        wchar_t value[256] = L"";
        const DWORD n = GetEnvironmentVariableW(name.c_str(), value, 256);
        if (n == 0 || n >= 256) {
            SimClient bad;
            bad.lastError_ = name + L" is not set; run the test under tools/platform-sim/with-sim";
            return bad;
        }
        hostPorts.emplace_back(value);
    }
    return FromAddresses(hostPorts);
}

SimClient SimClient::FromAddresses(const std::vector<std::wstring>& hostPorts) {
    SimClient c;
    if (hostPorts.size() != kHostCount) {
        c.lastError_ = L"six host addresses are needed";
        return c;
    }
    for (size_t i = 0; i < kHostCount; ++i) {
        if (PortOf(hostPorts[i]) == 0) {
            c.lastError_ = std::wstring(L"not host:port for ") + kHosts[i] + L": " + hostPorts[i];
            return c;
        }
    }
    c.hostPorts_ = hostPorts;
    c.valid_ = true;
    return c;
}

std::wstring SimClient::HostPort(const std::wstring& host) const {
    const int i = HostIndex(host);
    return (i < 0 || !valid_) ? std::wstring() : hostPorts_[i];
}

std::wstring SimClient::Url(const std::wstring& host, const std::wstring& path) const {
    const std::wstring hp = HostPort(host);
    return hp.empty() ? std::wstring() : L"http://" + hp + path;
}

std::wstring SimClient::SecureUrl(const std::wstring& host, const std::wstring& path) const {
    const std::wstring hp = HostPort(host);
    return hp.empty() ? std::wstring() : L"https://" + hp + path;
}

int SimClient::Port(const std::wstring& host) const {
    return PortOf(HostPort(host));
}

bool SimClient::Reset() {
    return Control(L"/_sim/reset", std::string(), L"POST", nullptr);
}

bool SimClient::SetContent(const std::wstring& host, const std::wstring& path, const std::string& bytes,
                           const std::wstring& type) {
    std::wstring q = L"/_sim/content?host=" + Encode(host) + L"&path=" + Encode(path);
    if (!type.empty())
        q += L"&type=" + Encode(type);
    return Control(q, bytes, L"POST", nullptr);
}

bool SimClient::RemoveContent(const std::wstring& host, const std::wstring& path) {
    return Control(L"/_sim/content?host=" + Encode(host) + L"&path=" + Encode(path) + L"&remove=1",
                   std::string(), L"POST", nullptr);
}

bool SimClient::SetFault(const std::wstring& host, const std::wstring& path, const std::wstring& mode,
                         const std::wstring& params) {
    std::wstring q =
        L"/_sim/fault?host=" + Encode(host) + L"&path=" + Encode(path) + L"&mode=" + Encode(mode);
    if (!params.empty())
        q += L"&" + params;
    return Control(q, std::string(), L"POST", nullptr);
}

bool SimClient::ClearFault(const std::wstring& host, const std::wstring& path) {
    return SetFault(host, path, L"none");
}

bool SimClient::ReadLog(std::vector<SimRequest>& out) const {
    out.clear();
    SimResponse r;
    if (!Control(L"/_sim/log?format=tsv", std::string(), L"GET", &r))
        return false;
    if (!ParseSimLogTsv(r.body, out)) {
        lastError_ = L"malformed log line";
        return false;
    }
    return true;
}

std::vector<SimRequest> SimClient::Log() const {
    std::vector<SimRequest> out;
    ReadLog(out);
    return out;
}

std::vector<SimRequest> SimClient::WaitForRequests(const std::function<bool(const SimRequest&)>& match,
                                                   size_t count, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<SimRequest> hits;
    for (;;) {
        std::vector<SimRequest> all;
        if (ReadLog(all)) {
            hits.clear();
            for (auto& r : all) {
                if (!match || match(r))
                    hits.push_back(std::move(r));
            }
            if (hits.size() >= count)
                return hits;
        }
        if (GetTickCount64() >= deadline)
            return hits;
        Sleep(50);
    }
}

std::vector<SimRequest> SimClient::WaitForRequests(size_t count, DWORD timeoutMs) const {
    return WaitForRequests(nullptr, count, timeoutMs);
}

bool SimClient::Request(const std::wstring& host, const std::wstring& method, const std::wstring& path,
                        const std::string& body, const std::wstring& extraHeaders, SimResponse& out) const {
    const int port = Port(host);
    if (port == 0) {
        lastError_ = L"unknown host " + host;
        return false;
    }
    return Send(port, method, path, body, extraHeaders, out);
}

// Control requests may go to any of the simulator's ports; the web port is used.
bool SimClient::Control(const std::wstring& query, const std::string& body, const wchar_t* method,
                        SimResponse* response) const {
    if (!valid_) {
        if (lastError_.empty())
            lastError_ = L"no simulator";
        return false;
    }
    SimResponse r;
    if (!Send(PortOf(hostPorts_[0]), method, query, body, std::wstring(), r))
        return false;
    if (r.status != 200) {
        lastError_ = L"control request " + query + L" answered " + std::to_wstring(r.status) + L": " +
                     simlog::BytesToWide(r.body);
        return false;
    }
    if (response)
        *response = std::move(r);
    return true;
}

bool SimClient::Send(int port, const std::wstring& method, const std::wstring& path, const std::string& body,
                     const std::wstring& extraHeaders, SimResponse& out) const {
    out = SimResponse();
    ScopedInternet session(InternetOpenW(L"GantrySimClient", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) {
        lastError_ = ErrorText(L"InternetOpen");
        return false;
    }
    ScopedInternet connection(InternetConnectW(session.Get(), L"127.0.0.1", static_cast<INTERNET_PORT>(port),
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) {
        lastError_ = ErrorText(L"InternetConnect");
        return false;
    }
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
    ScopedInternet request(HttpOpenRequestW(connection.Get(), method.c_str(), path.c_str(), L"HTTP/1.1",
                                            nullptr, nullptr, flags, 0));
    if (!request) {
        lastError_ = ErrorText(L"HttpOpenRequest");
        return false;
    }
    // Timeouts set on the request handle are the ones Wine applies.
    DWORD timeout = kTimeoutMs;
    InternetSetOptionW(request.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionW(request.Get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionW(request.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);

    void* data = body.empty() ? nullptr : const_cast<char*>(body.data());
    if (!HttpSendRequestW(request.Get(), extraHeaders.empty() ? nullptr : extraHeaders.c_str(),
                          static_cast<DWORD>(extraHeaders.size()), data, static_cast<DWORD>(body.size()))) {
        lastError_ = ErrorText(L"HttpSendRequest");
        return false;
    }
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr)) {
        lastError_ = ErrorText(L"HttpQueryInfo(status)");
        return false;
    }
    out.status = status;
    DWORD headLen = 0;
    HttpQueryInfoW(request.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &headLen, nullptr);
    if (headLen > 0) {
        std::wstring head(headLen / sizeof(wchar_t) + 1, L'\0');
        if (HttpQueryInfoW(request.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, &head[0], &headLen, nullptr))
            out.rawHeaders.assign(head.c_str());
    }
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request.Get(), buffer, sizeof buffer, &read)) {
            lastError_ = ErrorText(L"InternetReadFile");
            return false;
        }
        if (read == 0)
            break;
        out.body.append(buffer, read);
    }
    return true;
}

bool TrustRootCertificate(const std::string& der) {
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    const BOOL added = store && CertAddEncodedCertificateToStore(
                                    store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                    static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (store)
        CertCloseStore(store, 0);
    return added != FALSE;
}

bool TrustSimAuthority() {
    wchar_t value[1024] = {};
    const DWORD n = GetEnvironmentVariableW(L"GANTRY_SIM_CA", value, 1024);
    if (n == 0 || n >= 1024)
        return false;
    std::wstring path(value, n);
    // with-sim gives a path of the host: under Wine its root is drive Z:.
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path)
            c = c == L'/' ? L'\\' : c;
        path = L"Z:" + path;
    }
    ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    std::string der(16384, '\0');
    DWORD got = 0;
    if (!ReadFile(file.Get(), &der[0], static_cast<DWORD>(der.size()), &got, nullptr) || got == 0 ||
        got == der.size())
        return false;
    der.resize(got);
    return TrustRootCertificate(der);
}
