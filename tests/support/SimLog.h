// The platform simulator's request log as tests see it, and the parser of the log's
// TSV form (GET /_sim/log?format=tsv). No Windows header: also built natively.
#pragma once

#include <string>
#include <utility>
#include <vector>

// One request the simulator received (control requests are never logged).
struct SimRequest {
    int seq = -1;      // position in the log, from 0
    double time = 0;   // seconds since the Unix epoch, when the request was read
    std::wstring host; // the simulated host: L"web", L"login", L"game", L"update", L"beacon", L"union"
    int port = 0;
    std::wstring method;
    // The request target (path and query) exactly as received. The wide form reads the
    // bytes as UTF-8, or byte by byte as Latin-1 when they are not valid UTF-8.
    std::wstring path;
    std::string rawPath;
    // Every header in the order received, converted like the path.
    std::vector<std::pair<std::wstring, std::wstring>> headers;
    std::string body;    // the exact bytes of the request body
    bool secure = false; // it came over TLS (an https request, or the handshake logged as "TLS")

    // The first header of that name (ASCII case ignored); empty when there is none.
    std::wstring Header(const std::wstring& name) const;
    bool HasHeader(const std::wstring& name) const;
};

// Parses the TSV log text. Each line holds the tab-separated fields
//   seq time host port method path body_length body_hex n name1 value1 ... name_n value_n [https]
// where text fields carry "%XX" for every byte outside 0x21..0x7E and for "%". Returns
// false on the first malformed line; out then holds the lines before it.
bool ParseSimLogTsv(const std::string& text, std::vector<SimRequest>& out);

namespace simlog {

// "%XX" sequences to bytes. False when a "%" is not followed by two hex digits.
bool Unescape(const std::string& field, std::string& out);

// Bytes to wide text: UTF-8 when the whole text is valid UTF-8, else Latin-1.
std::wstring BytesToWide(const std::string& bytes);

// Wide text to UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string ToUtf8(const std::wstring& text);

// Percent-encodes every byte except A-Z a-z 0-9 - _ . ~ (for query values).
std::string PercentEncode(const std::string& bytes);

} // namespace simlog
