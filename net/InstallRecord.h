// This installation's identity for the platform's statistics, and the beacons
// that report installation, activity and uninstallation. One instance lives in the
// global module, which gives it the values it reports besides its own and the queue
// its reports go to; everything but GetMacId runs on the main thread.
#pragma once

#include "net/BeaconUrls.h"
#include "net/ReportQueue.h"

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

    // The channel values every beacon carries (settings "Refer" and "UID") and the
    // queue the reports go to. Set once the owner's settings are read; a record
    // without a queue sends nothing.
    void SetReporting(IReportQueue* queue, const std::wstring& refer, const std::wstring& uid);

    // Each loads the record first and queues its request. False when nothing was
    // queued (no queue, or the queue refused it).
    bool SendInstallBeacon();
    // Queued once per process; later calls do nothing and return false.
    bool SendActiveBeacon();
    bool SendUninstallBeacon();
    // After a page was handed to a browser: which kind it was, and the URL handed on.
    bool SendUnionStats(bool platformBrowser, const std::wstring& openedUrl);

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
    bool Queue(const BeaconRequest& request) const;

    IReportQueue* m_pQueue = nullptr;
    std::wstring m_strRefer;
    std::wstring m_strUid;

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
