// Client of the platform simulator's control API for Windows tests (WinINet).
//
// A test registered with SIM runs beside a simulator whose addresses arrive in the
// environment (GANTRY_SIM_WEB, _LOGIN, _GAME, _UPDATE, _BEACON, _UNION). Typical use:
//
//   SimClient sim = SimClient::FromEnvironment();
//   ASSERT_TRUE(sim.IsValid()) << sim.LastError();
//   ASSERT_TRUE(sim.Reset());
//   sim.SetContent(L"update", L"/Orvo/tavro/official/app.ini", "[version]\r\ncurrentversion=3.0.1.0\r\n");
//   sim.SetFault(L"beacon", L"/ps.gif", L"status", L"code=503&count=1");
//   ... run the code under test against sim.Url(L"update", L"/Orvo/tavro/official/app.ini") ...
//   auto hits = sim.WaitForRequests([](const SimRequest& r) { return r.host == L"beacon"; }, 1, 5000);
//
// Hosts are the simulator's names: L"web", L"login", L"game", L"update", L"beacon",
// L"union". Paths of content and faults follow the simulator's rule: without "?" the
// exact path (any query); with "?" a prefix of the whole target. A client is not
// meant to be shared between threads.
#pragma once

#include "tests/support/SimLog.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// What a plain request through Request() got back.
struct SimResponse {
    DWORD status = 0;
    std::wstring rawHeaders; // the response head, CRLF-separated
    std::string body;
};

class SimClient {
public:
    // Reads the six GANTRY_SIM_* variables; IsValid() is false when one is missing
    // or is not "127.0.0.1:port"-like ("host:port" with a port number).
    static SimClient FromEnvironment();
    // For a simulator whose addresses are known ("host:port" for each of the six hosts,
    // in the order web, login, game, update, beacon, union).
    static SimClient FromAddresses(const std::vector<std::wstring>& hostPorts);

    bool IsValid() const { return valid_; }
    const std::wstring& LastError() const { return lastError_; }

    // L"127.0.0.1:port"; empty for an unknown host name.
    std::wstring HostPort(const std::wstring& host) const;
    // L"http://127.0.0.1:port" + path; empty for an unknown host name.
    std::wstring Url(const std::wstring& host, const std::wstring& path) const;
    // L"https://127.0.0.1:port" + path: the same port, spoken to in TLS (with-sim --tls).
    std::wstring SecureUrl(const std::wstring& host, const std::wstring& path) const;
    int Port(const std::wstring& host) const;

    // Clears the log, every fault and every content override.
    bool Reset();
    // host+path then serves exactly these bytes (200 with Content-Length); an empty
    // type lets the simulator guess it from the path.
    bool SetContent(const std::wstring& host, const std::wstring& path, const std::string& bytes,
                    const std::wstring& type = std::wstring());
    bool RemoveContent(const std::wstring& host, const std::wstring& path);
    // mode: status, short, long, chunked, trickle, reset, hang, delay. params is a query
    // fragment such as L"code=503" or L"bytes=16&ms=100&count=2" (values unencoded
    // ASCII). mode none, or ClearFault, removes the fault.
    bool SetFault(const std::wstring& host, const std::wstring& path, const std::wstring& mode,
                  const std::wstring& params = std::wstring());
    bool ClearFault(const std::wstring& host, const std::wstring& path);

    // Every logged request, oldest first. False (and LastError) when it can't be read.
    bool ReadLog(std::vector<SimRequest>& out) const;
    // The same, empty when the log can't be read.
    std::vector<SimRequest> Log() const;

    // Polls the log until at least count requests match (every request when match is
    // empty) or timeoutMs has passed; returns the matching requests seen last, which
    // may be fewer than count.
    std::vector<SimRequest> WaitForRequests(const std::function<bool(const SimRequest&)>& match, size_t count,
                                            DWORD timeoutMs) const;
    std::vector<SimRequest> WaitForRequests(size_t count, DWORD timeoutMs) const;

    // A plain request to a simulated host (no cache, no cookies, redirects not
    // followed). extraHeaders: CRLF-separated header lines. False on a transport error.
    bool Request(const std::wstring& host, const std::wstring& method, const std::wstring& path,
                 const std::string& body, const std::wstring& extraHeaders, SimResponse& out) const;

private:
    bool Control(const std::wstring& query, const std::string& body, const wchar_t* method,
                 SimResponse* response) const;
    bool Send(int port, const std::wstring& method, const std::wstring& path, const std::string& body,
              const std::wstring& extraHeaders, SimResponse& out) const;

    std::vector<std::wstring> hostPorts_; // in the order of the host names
    bool valid_ = false;
    mutable std::wstring lastError_;
};

// Adds a DER certificate to the machine's root store, where a real authority is on
// Windows, so that chains up to it are trusted in this Wine prefix.
bool TrustRootCertificate(const std::string& der);
// Trusts the authority of a simulator started with --tls (GANTRY_SIM_CA); false
// when there is none or it cannot be added.
bool TrustSimAuthority();
