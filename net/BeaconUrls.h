// The statistics requests as URL, request type and response file name, built from
// the install record's values. Pure text assembly; the install record queues what
// these functions return.
#pragma once

#include "net/RequestTypes.h"

#include <string>

// What every beacon carries about this installation.
struct BeaconValues {
    std::wstring channel;     // e1
    std::wstring refer;       // e2
    std::wstring uid;         // e3
    std::wstring guid;        // e4
    std::wstring hardwareId;  // e5
    bool netCafe = false;     // e6: 1 when set, else 2
    std::wstring installTime; // e9
};

struct BeaconRequest {
    std::wstring url;
    int requestType = 0;
    std::wstring fileName; // saved in the temp folder
};

// baseUrl is the host with its scheme (endpoints::BeaconBaseUrl, UnionStatsBaseUrl).
// Values go into the query as they are, without URL encoding (the install time
// carries a space).
BeaconRequest MakeInstallBeacon(const std::wstring& baseUrl, const BeaconValues& values, int installType);
BeaconRequest MakeActiveBeacon(const std::wstring& baseUrl, const BeaconValues& values, bool autorunStart);
// today is the current local date as "%Y-%m-%d": e7 is 1 when the install time
// contains it, else 2 (also when today is empty).
BeaconRequest MakeUninstallBeacon(const std::wstring& baseUrl, const BeaconValues& values,
                                  const std::wstring& today);

// The last opened URL, given in the ANSI code page, goes in percent-encoded
// (UrlEncode); the encoded text is plain ASCII, so it widens unit by unit.
BeaconRequest MakeUnionStats(const std::wstring& baseUrl, const std::string& ansiUrl, bool platformBrowser);
