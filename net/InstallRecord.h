// This installation's identity for the platform's statistics, and the beacons
// that report installation, activity and uninstallation. One instance lives in the
// global module; everything but GetMacId runs on the main thread.
#pragma once

#include "net/BeaconUrls.h"

#include <mutex>
#include <string>

class CInstallRecord {
public:
    CInstallRecord() = default;
    CInstallRecord(const CInstallRecord&) = delete;
    CInstallRecord& operator=(const CInstallRecord&) = delete;

    // Runs once per process: GUID and install time (written when missing or
    // unusable), install type, "/autorun", net café, hardware and MAC ids.
    void LoadInstallRecord();

    // Each loads the record first and queues its request through the global module.
    void SendInstallBeacon();
    // Queued once per process; later calls do nothing.
    void SendActiveBeacon();
    void SendUninstallBeacon();
    // After a page was handed to a browser: which kind it was. Reports the global
    // module's last opened URL.
    void SendUnionStats(bool platformBrowser);

    // Read by the download workers for their cookie (empty before the first load).
    std::wstring GetMacId() const;

    bool IsLoaded() const { return m_bLoaded; }
    std::wstring GetGuid() const { return m_strGuid; }
    std::wstring GetInstallTime() const { return m_strInstallTime; }
    std::wstring GetHardwareId() const { return m_strHardwareId; }
    std::wstring GetChannel() const { return m_strChannel; }
    int GetInstallType() const { return m_nInstallType; }
    bool IsNetCafe() const { return m_bNetCafe; }
    bool IsAutorunStart() const { return m_bAutorunStart; }
    bool IsActiveSent() const { return m_bActiveSent; }

private:
    BeaconValues Values() const;
    void Queue(const BeaconRequest& request) const;

    bool m_bLoaded = false;
    std::wstring m_strGuid;
    bool m_bNetCafe = false;
    bool m_bAutorunStart = false;
    std::wstring m_strHardwareId;
    std::wstring m_strInstallTime;
    const std::wstring m_strChannel = L"wd";
    int m_nInstallType = 0;
    bool m_bActiveSent = false;
    // The MAC id is written once on the main thread and read by the workers.
    mutable std::mutex m_macLock;
    std::wstring m_strMacId;
};
