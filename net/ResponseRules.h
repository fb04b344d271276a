// What the downloader accepts of an answer: the size limit of each kind of
// request, which statuses count as success, when a body is too long, and where a
// redirect may lead. Pure rules; the worker applies them to WinINet's answers.
#pragma once

#include <cstdint>
#include <string>

// Largest body each kind of request accepts. A version file or a beacon answer is
// a few hundred bytes; the upgrader is an installer.
constexpr uint64_t kVersionFileMaxBytes = 64 * 1024;
constexpr uint64_t kBeaconMaxBytes = 64 * 1024;
constexpr uint64_t kUpgraderMaxBytes = 512ull * 1024 * 1024;

// Redirects one request follows at most before it fails.
constexpr int kMaxRedirects = 5;

// Only a 2xx answer is a success; 1xx, 3xx not followed, 4xx and 5xx fail.
bool IsSuccessStatus(unsigned status);
// The statuses whose Location the downloader follows: 301, 302, 303, 307, 308.
bool IsRedirectStatus(unsigned status);

enum class UrlScheme { kOther, kHttp, kHttps };
// The scheme of an absolute URL ("http://", "https://", ASCII case ignored);
// kOther for anything else, a relative reference included.
UrlScheme SchemeOf(const std::wstring& url);

// The absolute URL a redirect from `from` to `location` leads to, or empty when it
// must not be followed. location may be absolute, scheme-relative ("//host/p"),
// host-relative ("/p") or relative to the current folder ("p"); a fragment is
// dropped. Allowed are the same scheme and any move to https: never from https to
// http, never to another scheme, never from a URL that is neither.
std::wstring RedirectTarget(const std::wstring& from, const std::wstring& location);

// Whether a body that has announced `announced` bytes (hasLength false: no
// Content-Length) may be read under `limit`: it needs a length, within the limit.
bool AnnouncedLengthAccepted(bool hasLength, uint64_t announced, uint64_t limit);
// After `received` bytes of a body that announced `announced` under `limit`: true
// while neither is passed (a byte past the announced length fails the body).
bool ReceivedWithinBounds(uint64_t received, uint64_t announced, uint64_t limit);
