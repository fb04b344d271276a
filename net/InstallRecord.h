// This installation's identity for the platform's statistics, and the beacons
// that report installation, activity and uninstallation.
#pragma once

#include <mutex>
#include <string>

class CInstallRecord {
public:
    // Runs once per process: GUID and install time (written when missing),
    // install type, "/autorun", net café, hardware and MAC ids.
    void LoadInstallRecord();

    void SendInstallBeacon();
    void SendActiveBeacon();
    void SendUninstallBeacon();
    // After a page was handed to a browser: which kind it was.
    void SendUnionStats(bool platformBrowser);

    // Read by the download workers for their cookie (empty before the first load).
    std::wstring GetMacId() const;

    // (the helper that owns net/ fills in the fields and the rest)
};
