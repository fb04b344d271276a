#include "net/InstallRecord.h"

#include "app/Endpoints.h"
#include "app/GlobalModule.h"
#include "app/TextUtils.h"
#include "app/Utils.h"
#include "net/MachineId.h"
#include "net/NetCafe.h"

void CInstallRecord::LoadInstallRecord() {
    if (m_bLoaded)
        return;
    m_bLoaded = true;

    // Stored values are the installation's identity and are kept as they stand,
    // whatever they look like; only missing ones are made and written.
    m_strGuid = ReadIniString(L"Install", L"GUID", L"");
    if (m_strGuid.empty()) {
        m_strGuid = RemoveAll(NewGuidString(), L"-");
        // A GUID that could not be made is not written: the next run tries again.
        if (!m_strGuid.empty())
            WriteIniString(L"Install", L"GUID", m_strGuid);
    }

    m_strInstallTime = ReadIniString(L"Install", L"InstallTime", L"");
    if (m_strInstallTime.empty()) {
        m_strInstallTime = FormatTime(L"%Y-%m-%d %H:%M:%S", CurrentTime());
        if (!m_strInstallTime.empty())
            WriteIniString(L"Install", L"InstallTime", m_strInstallTime);
    }

    m_nInstallType = ReadIniInt(L"Install", L"InstallType", 0);
    m_bAutorunStart = HasSwitch(L"/autorun");
    m_bNetCafe = DetectNetCafe() >= 0;

    if (m_strHardwareId.empty())
        m_strHardwareId = MakeHardwareId();
    std::wstring macId = MakeMacId();
    std::lock_guard<std::mutex> lock(m_macLock);
    if (m_strMacId.empty())
        m_strMacId = std::move(macId);
}

std::wstring CInstallRecord::GetMacId() const {
    std::lock_guard<std::mutex> lock(m_macLock);
    return m_strMacId;
}

BeaconValues CInstallRecord::Values() const {
    BeaconValues v;
    v.channel = m_strChannel;
    v.refer = g_module.GetRefer();
    v.uid = g_module.GetUid();
    v.guid = m_strGuid;
    v.hardwareId = m_strHardwareId;
    v.netCafe = m_bNetCafe;
    v.installTime = m_strInstallTime;
    return v;
}

void CInstallRecord::Queue(const BeaconRequest& request) const {
    g_module.DownloadToTemp(request.url, request.requestType, request.fileName);
}

void CInstallRecord::SendInstallBeacon() {
    LoadInstallRecord();
    Queue(MakeInstallBeacon(endpoints::BeaconBaseUrl(), Values(), m_nInstallType));
}

void CInstallRecord::SendActiveBeacon() {
    LoadInstallRecord();
    if (m_bActiveSent)
        return;
    m_bActiveSent = true;
    Queue(MakeActiveBeacon(endpoints::BeaconBaseUrl(), Values(), m_bAutorunStart));
}

void CInstallRecord::SendUninstallBeacon() {
    LoadInstallRecord();
    const std::wstring today = FormatTime(L"%Y-%m-%d", CurrentTime());
    Queue(MakeUninstallBeacon(endpoints::BeaconBaseUrl(), Values(), today));
}

void CInstallRecord::SendUnionStats(bool platformBrowser) {
    const std::string ansiUrl = ToNarrow(g_module.GetLastOpenedUrl());
    Queue(MakeUnionStats(endpoints::UnionStatsBaseUrl(), ansiUrl, platformBrowser));
}
