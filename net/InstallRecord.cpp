#include "net/InstallRecord.h"

#include "app/base/Endpoints.h"
#include "app/base/InstallTime.h"
#include "app/base/Utils.h"
#include "net/InstallRecordRules.h"
#include "net/MachineId.h"
#include "net/NetCafe.h"

void CInstallRecord::LoadInstallRecord() {
    if (m_bLoaded)
        return;
    m_bLoaded = true;

    // Stored values are the installation's identity and are kept as they stand,
    // whatever they look like; only missing ones are made and written.
    const StoredValueChoice guid = ChooseStoredValue(ReadIniString(L"Install", L"GUID", L""),
                                                     [] { return RecordGuid(NewGuidString()); });
    m_strGuid = guid.value;
    if (guid.write)
        WriteIniString(L"Install", L"GUID", m_strGuid);

    m_strInstallTime = StoredInstallTime();

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

void CInstallRecord::SetReporting(IReportQueue* queue, const std::wstring& refer, const std::wstring& uid) {
    m_pQueue = queue;
    m_strRefer = refer;
    m_strUid = uid;
}

std::wstring CInstallRecord::GetMacId() const {
    std::lock_guard<std::mutex> lock(m_macLock);
    return m_strMacId;
}

BeaconValues CInstallRecord::Values() const {
    BeaconValues v;
    v.channel = m_strChannel;
    v.refer = m_strRefer;
    v.uid = m_strUid;
    v.guid = m_strGuid;
    v.hardwareId = m_strHardwareId;
    v.netCafe = m_bNetCafe;
    v.installTime = m_strInstallTime;
    return v;
}

bool CInstallRecord::Queue(const BeaconRequest& request) const {
    return m_pQueue && m_pQueue->QueueReport(request.url, request.requestType, request.fileName);
}

bool CInstallRecord::SendInstallBeacon() {
    LoadInstallRecord();
    return Queue(MakeInstallBeacon(endpoints::BeaconBaseUrl(), Values(), m_nInstallType));
}

bool CInstallRecord::SendActiveBeacon() {
    LoadInstallRecord();
    if (m_bActiveSent)
        return false;
    m_bActiveSent = true;
    return Queue(MakeActiveBeacon(endpoints::BeaconBaseUrl(), Values(), m_bAutorunStart));
}

bool CInstallRecord::SendUninstallBeacon() {
    LoadInstallRecord();
    const std::wstring today = FormatTime(L"%Y-%m-%d", CurrentTime());
    return Queue(MakeUninstallBeacon(endpoints::BeaconBaseUrl(), Values(), today));
}

bool CInstallRecord::SendUnionStats(bool platformBrowser, const std::wstring& openedUrl) {
    return Queue(MakeUnionStats(endpoints::UnionStatsBaseUrl(), ToNarrow(openedUrl), platformBrowser));
}
