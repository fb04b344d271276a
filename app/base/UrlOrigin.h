// Where an absolute URL leads: its scheme, host and port, read the way a browser
// reads them, so that a marker can be believed only from the server that owns it.
// Anything this parser cannot read with certainty (no "//", blanks or control
// characters before the path, a port that is no number) is no origin at all:
// a rule built on it then refuses rather than guesses.
#pragma once

#include <string>

struct UrlOrigin {
    bool valid = false;
    std::wstring scheme; // lower case, without ":"
    std::wstring host;   // lower case, without user information and port
    int port = -1;       // the explicit port, -1 when the URL names none
    std::wstring rest;   // from the first "/", "?", "#" or "\" after the host on, as written
};

// scheme ":" "//" [user "@"] host [":" port] rest. The host ends at "/", "?", "#"
// or "\" (browsers read "\" as "/"); user information ends at the last "@" before
// that. A bracketed IPv6 host keeps its brackets.
UrlOrigin ParseUrlOrigin(const std::wstring& url);

// True when url is http or https (either case) and leads to the configured host,
// given as "host" or "host:port": the host compared without regard to case, the
// port equal (a host without port means the default port of the URL's scheme).
bool IsWebUrlOnHost(const std::wstring& url, const std::wstring& host);
