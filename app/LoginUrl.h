// The login page URL with the query that tells the platform who is starting.
#pragma once

#include <string>

struct LoginQueryValues {
    std::wstring refer;       // channel or referrer code
    std::wstring uid;         // source code, sent as "frm"
    int build = 0;            // this build's number
    std::wstring installTime; // "%Y-%m-%d %H:%M:%S" as stored
    int runCount = 0;
    std::wstring currentTime; // "%Y%m%d%H%M%S"
};

// The date part of an install time without dashes: its first 10 characters
// (or all of a shorter text) with every "-" removed.
std::wstring InstallDateOf(const std::wstring& installTime);

// base + "?" (or "&" when base already has a query) + the login query. The values
// go in as they are: the platform reads them unencoded. The first run of an
// installation adds "&regtimes=1".
std::wstring BuildLoginUrl(const std::wstring& base, const LoginQueryValues& values);
